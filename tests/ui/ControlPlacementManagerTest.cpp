// Controls keep their distances from the client area's edges when a real
// resizable dialog grows.
#include "ui/ControlPlacementManager.h"

#include "tests/support/DialogTemplate.h"
#include "tests/support/PlainDialog.h"

#include <gtest/gtest.h>

namespace
{
constexpr int kControl = 100;
constexpr int kGrowX = 60;
constexpr int kGrowY = 40;

RECT ClientRectOf(HWND control)
{
    RECT rect = {};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// A resizable dialog with one edit control; Grow makes the window larger by
// kGrowX and kGrowY.
class CPlacementHost
{
public:
    CPlacementHost()
    {
        m_Template.AddEdit(kControl, 20, 20, 80, 14);
        m_Dialog.CreateIndirect(m_Template.Get());
        m_Control = m_Dialog.GetDlgItem(kControl);
        m_Before = ClientRectOf(m_Control);
    }
    ~CPlacementHost() { m_Dialog.DestroyWindow(); }

    void Grow()
    {
        RECT frame = {};
        ::GetWindowRect(m_Dialog, &frame);
        ::SetWindowPos(m_Dialog, nullptr, 0, 0, frame.right - frame.left + kGrowX,
                       frame.bottom - frame.top + kGrowY, SWP_NOMOVE | SWP_NOZORDER);
    }

    CDialogTemplate m_Template{"Placement", 200, 100, WS_POPUP | WS_CAPTION | WS_THICKFRAME | DS_MODALFRAME | DS_SETFONT};
    CPlainDlg m_Dialog;
    HWND m_Control = nullptr;
    RECT m_Before = {};
};

struct Case
{
    const char* name;
    UINT flags;
    bool byHandle;
    int topOffset;
    // Expected change of left, top, width, height after the window grows.
    int dx, dy, dw, dh;
};

class ControlPlacement : public ::testing::TestWithParam<Case>
{
};
} // namespace

TEST_P(ControlPlacement, KeepsTheRecordedDistancesWhenTheWindowGrows)
{
    const Case& c = GetParam();
    CPlacementHost host;
    ASSERT_NE(nullptr, host.m_Control);

    CControlPlacementManager placement;
    if (c.byHandle)
        placement.AddControl(host.m_Control, c.flags);
    else
        placement.AddControl(kControl, c.flags);
    placement.AddControl(12345u, c.flags);  // no such control: skipped
    placement.RecordLayout(host.m_Dialog);
    host.Grow();
    placement.SetTopOffset(c.topOffset);
    placement.ApplyLayout(host.m_Dialog);

    const RECT& before = host.m_Before;
    const RECT after = ClientRectOf(host.m_Control);
    EXPECT_EQ(before.left + c.dx, after.left);
    EXPECT_EQ(before.top + c.dy, after.top);
    EXPECT_EQ(before.right - before.left + c.dw, after.right - after.left);
    EXPECT_EQ(before.bottom - before.top + c.dh, after.bottom - after.top);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, ControlPlacement,
    ::testing::Values(Case{"LeftTop", 5, false, 0, 0, 0, 0, 0}, Case{"LeftBottom", 9, false, 0, 0, kGrowY, 0, 0},
                      Case{"RightBottom", 10, false, 0, kGrowX, kGrowY, 0, 0},
                      Case{"RightBottomByHandle", 10, true, 0, kGrowX, kGrowY, 0, 0},
                      Case{"StretchWidthUnanchored", 16, false, 0, 0, 0, kGrowX, 0},
                      Case{"LeftTopStretchWidth", 21, false, 0, 0, 0, kGrowX, 0},
                      Case{"LeftTopStretchBoth", 53, false, 0, 0, 0, kGrowX, kGrowY},
                      Case{"TopOffset", 5, false, 30, 0, 30, 0, 0},
                      Case{"TopOffsetStretchHeight", 53, false, 30, 0, 30, kGrowX, kGrowY - 30}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });
