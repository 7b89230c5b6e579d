// Solid dialog backgrounds: the mix-in chained at the end of a real dialog's
// table, and the plug-in core's choice by Outlook version.
#include "ui/PaintBkgnd.h"

#include "addin/OutlookVersionCapabilites.h"
#include "addin/ZentavoSMSOutlookPlugin.h"
#include "platform/DialogImpl.h"
#include "tests/support/DialogTemplate.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
constexpr int kLabel = 100;
constexpr COLORREF kOdd = RGB(0x12, 0x34, 0x56);

class CColourDlg : public CDialogImpl<CColourDlg>, public CPaintBkgnd<CColourDlg>
{
public:
    CColourDlg() : CDialogImpl(::GetModuleHandleA(nullptr)) {}

    static CMessageTable<CColourDlg> GetMessageTable()
    {
        using Entry = CMessageEntry<CColourDlg>;
        static const Entry entries[] = {
            Entry::Message(WM_INITDIALOG, &CColourDlg::OnInitDialog, "CColourDlg::OnInitDialog"),
            Entry::Chain(&CColourDlg::ProcessPaintBkgndMessage, "CPaintBkgnd::ProcessPaintBkgndMessage"),
        };
        return entries;
    }

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, bool&) { return TRUE; }
};

class PaintBkgnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Template.AddStatic(kLabel, "Label", 10, 10, 100, 10);
        ASSERT_NE(nullptr, m_Dialog.CreateIndirect(m_Template.Get()));
        m_Memory = ::CreateCompatibleDC(nullptr);
        const HDC screen = ::GetDC(nullptr);
        m_Bitmap = ::CreateCompatibleBitmap(screen, 4, 4);
        ::ReleaseDC(nullptr, screen);
        m_Previous = ::SelectObject(m_Memory, m_Bitmap);
    }
    void TearDown() override
    {
        m_Dialog.DestroyWindow();
        ::SelectObject(m_Memory, m_Previous);
        ::DeleteObject(m_Bitmap);
        ::DeleteDC(m_Memory);
    }

    // The colour a background erase leaves, over a red start.
    COLORREF ErasedColour()
    {
        ::SetPixel(m_Memory, 1, 1, RGB(255, 0, 0));
        m_Dialog.Send(WM_ERASEBKGND, reinterpret_cast<WPARAM>(m_Memory));
        return ::GetPixel(m_Memory, 1, 1);
    }
    LRESULT StaticColour()
    {
        return m_Dialog.Send(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(m_Memory),
                             reinterpret_cast<LPARAM>(m_Dialog.GetDlgItem(kLabel)));
    }

    CDialogTemplate m_Template{"Colours"};
    CColourDlg m_Dialog;
    HDC m_Memory = nullptr;
    HBITMAP m_Bitmap = nullptr;
    HGDIOBJ m_Previous = nullptr;
};

COLORREF BrushColour(HBRUSH brush)
{
    LOGBRUSH description = {};
    ::GetObjectA(brush, sizeof(description), &description);
    return description.lbColor;
}

// Records what the plug-in core asks of a dialog.
class CRecordingWindow : public IPaintBkgndWindow
{
public:
    HBRUSH SetBackgroundColour(COLORREF colour) override
    {
        m_Colours.push_back(colour);
        return nullptr;
    }
    std::vector<COLORREF> m_Colours;
};
} // namespace

TEST_F(PaintBkgnd, WithoutABrushBothMessagesGoToTheDefaultHandling)
{
    EXPECT_NE(kOdd, ErasedColour());
    const LRESULT brush = StaticColour();
    EXPECT_NE(0, brush);
    EXPECT_NE(kOdd, BrushColour(reinterpret_cast<HBRUSH>(brush)));
}

TEST_F(PaintBkgnd, WithAColourTheDialogAndItsTextsTakeIt)
{
    const HBRUSH brush = m_Dialog.SetBackgroundColour(kOdd);
    ASSERT_NE(nullptr, brush);
    EXPECT_EQ(kOdd, ErasedColour());
    EXPECT_EQ(reinterpret_cast<LRESULT>(brush), StaticColour());
}

TEST_F(PaintBkgnd, ASecondColourLeavesOneBrush)
{
    const HBRUSH first = m_Dialog.SetBackgroundColour(RGB(1, 2, 3));
    const HBRUSH second = m_Dialog.SetBackgroundColour(kOdd);
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), ::GetObjectType(second));
    EXPECT_EQ(kOdd, BrushColour(second));
    if (first != second)
    {
        EXPECT_EQ(0u, ::GetObjectType(first));
    }
    EXPECT_EQ(reinterpret_cast<LRESULT>(second), StaticColour());
}

TEST(SetupDialogBackground, ColoursOnlyWhenTheOutlookRecordAsksForAPlainBackground)
{
    struct Case
    {
        const char* version;  // null: no record yet
        std::vector<COLORREF> expected;
    };
    const Case cases[] = {
        {nullptr, {}},
        {"14.0.0.7015", {}},
        {"15.0.0.4420", {RGB(255, 255, 255)}},
        {"16.0.0.4266", {RGB(255, 255, 255)}},
    };
    CZentavoSMSOutlookPlugin& plugin = CZentavoSMSOutlookPlugin::theZentavoSMSOutlookPlugin;
    COutlookVersionCapabilites* const before = plugin.GetOutlookVersionCapabilites();
    for (const Case& c : cases)
    {
        COutlookVersionCapabilites capabilities;
        if (c.version)
            capabilities.Parse(c.version);
        plugin.SetOutlookVersionCapabilites(c.version ? &capabilities : nullptr);
        CRecordingWindow window;
        plugin.SetupDialogBackground(&window);
        EXPECT_EQ(c.expected, window.m_Colours) << (c.version ? c.version : "no record");
    }
    plugin.SetOutlookVersionCapabilites(before);
}
