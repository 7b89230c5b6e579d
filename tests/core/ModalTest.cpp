// The one way boxes and dialogs are shown, over real ones: a box answered by
// the message-box capture and a dialog by the window driver, each from
// inside its own modal loop, where what arrives while it is up runs too.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/Modal.h"
#include "core/ScopedHandle.h"
#include "tests/support/DialogTemplate.h"
#include "tests/support/EventCapture.h"
#include "tests/support/PlainDialog.h"
#include "tests/support/WindowDriver.h"

namespace
{
// A top-level window of the test's thread.
HWND NewTopLevel()
{
    return ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
}

HWND s_Chosen = nullptr;
HWND Chosen()
{
    return s_Chosen;
}

// A dialog of the test's own, which the driver's step ends.
class CQuestion
{
public:
    INT_PTR DoModal(HWND owner)
    {
        CPlainDlg dialog;
        return dialog.DoModalIndirect(m_Template.Get(), owner);
    }

private:
    CDialogTemplate m_Template = [] {
        CDialogTemplate question("Question");
        question.AddButton(IDCANCEL, "Cancel", 10, 70, 50, 14, true);
        return question;
    }();
};

enum class Meanwhile
{
    kNothing,
    kOwnerDestroyed,
    kQuit
};

struct ModalCase
{
    const char* name;
    bool dialog; // else a message box
    IfOwnerGoes ifOwnerGoes;
    Meanwhile meanwhile; // inside the first one shown
    bool answered;
    bool ownerGone;
    size_t shown; // over the owner given, then over the one chosen
};

class ModalEnds : public ::testing::TestWithParam<ModalCase>
{
protected:
    void SetUp() override { SetBoxOwnerSource(&Chosen); }
    void TearDown() override
    {
        SetBoxOwnerSource(nullptr);
        s_Chosen = nullptr;
        MSG quit;
        ::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }

    void Happens(Meanwhile meanwhile)
    {
        if (meanwhile == Meanwhile::kOwnerDestroyed)
            ::DestroyWindow(m_Given.get());
        else if (meanwhile == Meanwhile::kQuit)
            ::PostQuitMessage(0);
    }

    CScopedWindow m_Given{NewTopLevel()};
    CScopedWindow m_Other{NewTopLevel()};
};
} // namespace

// An answer is the answer; an end without one (the owner destroyed under
// it, a quit) never reads as one: asked again over the chosen owner where
// the caller says its question stands, else no answer. A quit is never
// asked again and stays waiting for the program's own loop.
TEST_P(ModalEnds, AnEndWithoutTheUsersAnswerIsNoAnswer)
{
    const ModalCase& c = GetParam();
    s_Chosen = m_Other.get();
    std::vector<HWND> owners;
    CModalEnd end = CModalEnd::NotShown();
    if (c.dialog)
    {
        CWindowDriver driver;
        bool first = true;
        for (size_t i = 0; i < c.shown; ++i)
            driver.Expect().Caption("Question").Run([&](HWND dialog) {
                owners.push_back(::GetWindow(dialog, GW_OWNER));
                if (std::exchange(first, false))
                    Happens(c.meanwhile);
                if (::IsWindow(dialog))
                    ::EndDialog(dialog, IDCANCEL);
            });
        CQuestion question;
        end = ShowModal(question, m_Given.get(), c.ifOwnerGoes);
        EXPECT_EQ("", driver.Problems());
    }
    else
    {
        CMessageBoxCapture boxes(IDNO);
        bool first = true;
        boxes.WhileUp([&](const CapturedMessageBox& box) {
            owners.push_back(box.owner);
            if (std::exchange(first, false))
                Happens(c.meanwhile);
        });
        end = ShowMessageBox(m_Given.get(), "Go on?", kAddinMessageBoxCaption, MB_YESNO);
        EXPECT_EQ(c.shown, boxes.Boxes().size());
    }
    const std::vector<HWND> expectedOwners = {m_Given.get(), m_Other.get()};
    EXPECT_EQ(std::vector<HWND>(expectedOwners.begin(), expectedOwners.begin() + static_cast<std::ptrdiff_t>(c.shown)),
              owners);
    EXPECT_EQ(c.answered, end.HasAnswer());
    EXPECT_TRUE(end.WasShown());
    EXPECT_EQ(c.answered ? (c.dialog ? IDCANCEL : IDNO) : 0, end.Answer());
    EXPECT_EQ(c.ownerGone, end.OwnerGone());
    MSG quit;
    EXPECT_EQ(c.meanwhile == Meanwhile::kQuit, ::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModalEnds,
    ::testing::Values(
        ModalCase{"BoxAnswered", false, IfOwnerGoes::kAskAgain, Meanwhile::kNothing, true, false, 1},
        ModalCase{"BoxWhoseOwnerGoes", false, IfOwnerGoes::kAskAgain, Meanwhile::kOwnerDestroyed, true, true, 2},
        ModalCase{"BoxEndedByAQuit", false, IfOwnerGoes::kAskAgain, Meanwhile::kQuit, false, false, 1},
        ModalCase{"DialogAnswered", true, IfOwnerGoes::kNoAnswer, Meanwhile::kNothing, true, false, 1},
        ModalCase{"DialogWhoseOwnerGoesAskedAgain", true, IfOwnerGoes::kAskAgain, Meanwhile::kOwnerDestroyed, true,
                  true, 2},
        ModalCase{"DialogWhoseOwnerGoesUnanswered", true, IfOwnerGoes::kNoAnswer, Meanwhile::kOwnerDestroyed, false,
                  true, 1},
        ModalCase{"DialogEndedByAQuit", true, IfOwnerGoes::kAskAgain, Meanwhile::kQuit, false, false, 1}),
    [](const ::testing::TestParamInfo<ModalCase>& info) { return std::string(info.param.name); });
