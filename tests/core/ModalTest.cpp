// The one way boxes and dialogs are shown, over real ones: a box answered by
// the message-box capture and a dialog by the window driver, each from
// inside its own modal loop, where what arrives while it is up runs too.
#include <gtest/gtest.h>

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
struct CQuestion
{
    INT_PTR DoModal(HWND owner)
    {
        CDialogTemplate question("Question");
        question.AddButton(IDCANCEL, "Cancel", 10, 70, 50, 14, true);
        return CPlainDlg().DoModalIndirect(question.Get(), owner);
    }
};

enum class Meanwhile
{
    kNothing,
    kOwnerDestroyed,
    kQuit
};
} // namespace

// An answer is the answer; an end without one (the owner destroyed under
// it, a quit) never reads as one: asked again over the chosen owner where
// the caller says its question stands, else no answer. A quit is never
// asked again and stays waiting for the program's own loop.
TEST(Modal, AnEndWithoutTheUsersAnswerIsNoAnswer)
{
    struct Row
    {
        const char* name;
        bool dialog; // else a message box
        IfOwnerGoes ifOwnerGoes;
        Meanwhile meanwhile; // inside the first one shown
        bool answered;
        bool ownerGone;
        size_t shown; // over the owner given, then over the one chosen
    };
    using M = Meanwhile;
    const IfOwnerGoes again = IfOwnerGoes::kAskAgain;
    const IfOwnerGoes none = IfOwnerGoes::kNoAnswer;
    const Row rows[] = {
        {"box answered", false, again, M::kNothing, true, false, 1},
        {"box whose owner goes", false, again, M::kOwnerDestroyed, true, true, 2},
        {"box ended by a quit", false, again, M::kQuit, false, false, 1},
        {"dialog answered", true, none, M::kNothing, true, false, 1},
        {"dialog whose owner goes, asked again", true, again, M::kOwnerDestroyed, true, true, 2},
        {"dialog whose owner goes, no answer", true, none, M::kOwnerDestroyed, false, true, 1},
        {"dialog ended by a quit", true, again, M::kQuit, false, false, 1},
    };
    SetBoxOwnerSource(&Chosen);
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        const CScopedWindow given(NewTopLevel());
        const CScopedWindow other(NewTopLevel());
        s_Chosen = other.get();
        std::vector<HWND> owners;
        bool first = true;
        const auto whileUp = [&](HWND owner) {
            owners.push_back(owner);
            if (!std::exchange(first, false))
                return;
            if (row.meanwhile == M::kOwnerDestroyed)
                ::DestroyWindow(given.get());
            else if (row.meanwhile == M::kQuit)
                ::PostQuitMessage(0);
        };
        CModalEnd end = CModalEnd::NotShown();
        if (row.dialog)
        {
            CWindowDriver driver;
            for (size_t i = 0; i < row.shown; ++i)
                driver.Expect().Caption("Question").Run([&](HWND dialog) {
                    whileUp(::GetWindow(dialog, GW_OWNER));
                    if (::IsWindow(dialog))
                        ::EndDialog(dialog, IDCANCEL);
                });
            CQuestion question;
            end = ShowModal(question, given.get(), row.ifOwnerGoes);
            EXPECT_EQ("", driver.Problems());
        }
        else
        {
            CMessageBoxCapture boxes(IDNO);
            boxes.WhileUp([&](const CapturedMessageBox& box) { whileUp(box.owner); });
            end = ShowMessageBox(given.get(), "Go on?", kAddinMessageBoxCaption, MB_YESNO);
        }
        const std::vector<HWND> both = {given.get(), other.get()};
        EXPECT_EQ(std::vector<HWND>(both.begin(), both.begin() + static_cast<std::ptrdiff_t>(row.shown)), owners);
        EXPECT_TRUE(end.WasShown());
        EXPECT_EQ(row.answered, end.HasAnswer());
        EXPECT_EQ(row.answered ? (row.dialog ? IDCANCEL : IDNO) : 0, end.Answer());
        EXPECT_EQ(row.ownerGone, end.OwnerGone());
        MSG quit;
        EXPECT_EQ(row.meanwhile == M::kQuit, ::PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE);
    }
    SetBoxOwnerSource(nullptr);
    s_Chosen = nullptr;
}
