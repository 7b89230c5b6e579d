// The window driver against real message boxes and a real modal dialog of
// this thread.
#include "tests/support/WindowDriver.h"

#include "tests/support/DialogTemplate.h"

#include <gtest/gtest.h>

namespace
{
constexpr int kNameEdit = 100;
constexpr int kRememberBox = 101;
constexpr int kPrompt = 102;

TEST(WindowDriver, AnswersAMessageBoxAndReadsItsText)
{
    const struct
    {
        const char* what;
        UINT style;
        int button;
        const char* buttonText;
        int result;
    } cases[] = {
        {"yes by id", MB_YESNO, IDYES, "", IDYES},
        {"no by id", MB_YESNO | MB_ICONQUESTION, IDNO, "", IDNO},
        {"ok by id", MB_OK, IDOK, "", IDOK},
        {"no by text", MB_YESNO, 0, "No", IDNO},
        {"cancel by text", MB_OKCANCEL | MB_ICONWARNING, 0, "Cancel", IDCANCEL},
    };
    for (const auto& c : cases)
    {
        CWindowDriver driver;
        CWindowStep& step = driver.Expect().Caption("Driver box").Text("Carry on?");
        if (c.button)
            step.Press(c.button);
        else
            step.PressText(c.buttonText);

        EXPECT_EQ(c.result, ::MessageBoxA(nullptr, "Carry on?", "Driver box", c.style)) << c.what;

        EXPECT_EQ("", driver.Problems()) << c.what;
        ASSERT_EQ(1u, driver.Seen().size()) << c.what;
        EXPECT_TRUE(driver.Seen()[0].expected) << c.what;
        EXPECT_EQ(c.result, driver.Seen()[0].answer) << c.what;
        EXPECT_EQ(std::vector<std::string>{"Carry on?"}, driver.Seen()[0].texts) << c.what;
    }
}

// What the dialog procedure read from its controls when OK reached it.
struct CNameDialogResult
{
    std::string name;
    bool remember = false;
    int rememberClicks = 0;
};

INT_PTR CALLBACK NameDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* result = reinterpret_cast<CNameDialogResult*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message)
    {
    case WM_INITDIALOG:
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        ::SetDlgItemTextA(dialog, kNameEdit, "initial");
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == kRememberBox && HIWORD(wParam) == BN_CLICKED)
            ++result->rememberClicks;
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
        {
            char name[64] = {};
            ::GetDlgItemTextA(dialog, kNameEdit, name, sizeof(name));
            result->name = name;
            result->remember = ::IsDlgButtonChecked(dialog, kRememberBox) == BST_CHECKED;
            ::EndDialog(dialog, LOWORD(wParam));
        }
        return TRUE;
    }
    return FALSE;
}

CDialogTemplate NameDialog(const std::string& caption)
{
    CDialogTemplate dialog(caption);
    dialog.AddStatic(kPrompt, "Your name:", 10, 10, 60, 10)
        .AddEdit(kNameEdit, 70, 8, 100, 14)
        .AddCheckBox(kRememberBox, "&Remember me", 10, 30, 100, 12)
        .AddButton(IDOK, "OK", 40, 70, 50, 14, true)
        .AddButton(IDCANCEL, "Cancel", 100, 70, 50, 14);
    return dialog;
}

INT_PTR RunNameDialog(CDialogTemplate& dialog, CNameDialogResult& result)
{
    return ::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr), dialog.Get(), nullptr, &NameDialogProc,
                                     reinterpret_cast<LPARAM>(&result));
}

TEST(WindowDriver, FillsADialogAndPressesOk)
{
    CWindowDriver driver;
    driver.Expect().Caption("Name dialog").Text("Your name:").SetText(kNameEdit, "Ada").Check(kRememberBox).Press(IDOK);
    CDialogTemplate dialog = NameDialog("Name dialog");
    CNameDialogResult result;

    EXPECT_EQ(IDOK, RunNameDialog(dialog, result));

    EXPECT_EQ("", driver.Problems());
    EXPECT_EQ("Ada", result.name);
    EXPECT_TRUE(result.remember);
    EXPECT_EQ(1, result.rememberClicks);
    ASSERT_EQ(1u, driver.Seen().size());
    const CSeenControl* edit = driver.Seen()[0].Control(kNameEdit);
    ASSERT_NE(nullptr, edit);
    EXPECT_EQ("initial", edit->text);
    EXPECT_FALSE(driver.Seen()[0].Control(kRememberBox)->checked);
}

TEST(WindowDriver, AnswersWindowsInTheOrderOfTheScript)
{
    CWindowDriver driver;
    driver.Expect().Caption("First").Press(IDNO);
    driver.Expect().Caption("Name dialog").PressText("Cancel");
    driver.Expect().Caption("Third").Press(IDYES);
    CDialogTemplate dialog = NameDialog("Name dialog");
    CNameDialogResult result;

    EXPECT_EQ(IDNO, ::MessageBoxA(nullptr, "One", "First", MB_YESNO));
    EXPECT_EQ(IDCANCEL, RunNameDialog(dialog, result));
    EXPECT_EQ(IDYES, ::MessageBoxA(nullptr, "Three", "Third", MB_YESNO));

    EXPECT_EQ("", driver.Problems());
    ASSERT_EQ(3u, driver.Seen().size());
    EXPECT_EQ("First", driver.Seen()[0].caption);
    EXPECT_EQ("initial", result.name);
    EXPECT_EQ("Third", driver.Seen()[2].caption);
}

TEST(WindowDriver, DismissesAndReportsAnUnexpectedBox)
{
    const struct
    {
        const char* what;
        UINT style;
        bool scripted;
        int result;
    } cases[] = {
        {"no script, yes/no box", MB_YESNO, false, IDNO},
        {"no script, ok box", MB_OK, false, IDOK},
        {"script for another caption", MB_OKCANCEL, true, IDCANCEL},
    };
    for (const auto& c : cases)
    {
        CWindowDriver driver;
        if (c.scripted)
            driver.Expect().Caption("Something else").Press(IDOK);

        EXPECT_EQ(c.result, ::MessageBoxA(nullptr, "Surprise", "Stray box", c.style)) << c.what;

        ASSERT_EQ(1u, driver.Seen().size()) << c.what;
        EXPECT_FALSE(driver.Seen()[0].expected) << c.what;
        const std::string problems = driver.Problems();
        EXPECT_NE(std::string::npos, problems.find("unexpected window \"Stray box\" | Surprise")) << problems;
        EXPECT_EQ(c.scripted, problems.find("step 1 never met") != std::string::npos) << problems;
    }
}

INT_PTR CALLBACK StubbornDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG || message == WM_COMMAND;
}

TEST(WindowDriver, EndsAnUnexpectedDialogThatIgnoresItsAnswer)
{
    CWindowDriver driver;
    CDialogTemplate dialog("Stubborn");
    dialog.AddButton(IDOK, "OK", 10, 10, 50, 14, true);

    EXPECT_EQ(IDCANCEL, ::DialogBoxIndirectParamA(::GetModuleHandleA(nullptr), dialog.Get(), nullptr,
                                                  &StubbornDialogProc, 0));

    EXPECT_NE(std::string::npos, driver.Problems().find("\"Stubborn\" ignored its answer"));
}

TEST(WindowDriver, ReportsScriptActionsTheWindowCannotTake)
{
    CWindowDriver driver;
    driver.Expect().Caption("Name dialog").SetText(999, "x").PressText("Maybe");
    CDialogTemplate dialog = NameDialog("Name dialog");
    CNameDialogResult result;

    EXPECT_EQ(IDCANCEL, RunNameDialog(dialog, result));

    EXPECT_EQ("no control 999 to set in \"Name dialog\"\nno button \"Maybe\" in \"Name dialog\"\n",
              driver.Problems());
}
} // namespace
