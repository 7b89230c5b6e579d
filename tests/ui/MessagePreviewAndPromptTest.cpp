// The message preview and the mobile-number prompt, run modally from the
// test executable's templates and answered inside their modal loops.
#include "ui/SMSMessagePreviewDlg.h"
#include "ui/UserMobileNumberPromptDlg.h"

#include "tests/support/WindowDriver.h"
#include "tests/ui/SetupDialogTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace SetupDialogTest;

namespace
{
constexpr char kPreviewTitle[] = "SMS Message Preview";
constexpr char kPromptTitle[] = "Please Enter Your Mobile Number";

void Close(HWND dialog, int command)
{
    if (command == SC_CLOSE)
        ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    else
        ::PostMessageA(dialog, WM_COMMAND, command, 0);
}

void TypeCharacters(HWND edit, const char* characters)
{
    for (const char* c = characters; *c; ++c)
        ::SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(*c), 1);
}

// Pastes through the clipboard as Ctrl+V would.
void Paste(HWND edit, const std::string& text)
{
    ASSERT_TRUE(::OpenClipboard(edit));
    ::EmptyClipboard();
    const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    ASSERT_NE(nullptr, memory);
    std::memcpy(::GlobalLock(memory), text.c_str(), text.size() + 1);
    ::GlobalUnlock(memory);
    // The clipboard owns the memory from here.
    EXPECT_NE(nullptr, ::SetClipboardData(CF_TEXT, memory));
    ::CloseClipboard();
    ::SendMessageA(edit, WM_PASTE, 0, 0);
}

COLORREF BrushColour(HBRUSH brush)
{
    LOGBRUSH log = {};
    return brush && ::GetObjectA(brush, sizeof(log), &log) ? log.lbColor : CLR_INVALID;
}
// The colour the dialog's background erase leaves in its corner.
COLORREF ErasedColour(HWND dialog)
{
    const HDC screen = ::GetDC(dialog);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 8, 8);
    const HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::SendMessageA(dialog, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
    const COLORREF colour = ::GetPixel(memory, 1, 1);
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(dialog, screen);
    return colour;
}
} // namespace

TEST(SMSMessagePreviewDlg, ShowsItsThreeTextsOnWhiteAndClosesEveryWay)
{
    const struct
    {
        const char* name;
        int command;
        INT_PTR result;
    } cases[] = {{"Close", IDOK, 1}, {"Esc", IDCANCEL, 2}, {"close box", SC_CLOSE, 2}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CSMSMessagePreviewDlg preview;
        preview.m_Recipients = "Ann Lee [+447700900001]; Bob [447700900002]; ";
        preview.m_SendersId = "Surgery";
        preview.m_Message = "Appointment:\r\nDentist\r\n\r\nNotes:\r\n";
        std::string shown;
        COLORREF dialogColour = CLR_INVALID;
        COLORREF editColour = CLR_INVALID;
        CWindowDriver driver;
        driver.Expect().Caption(kPreviewTitle).Run([&](HWND dialog) {
            const HWND edit = ::GetDlgItem(dialog, IDC_PREVIEW_MESSAGE);
            shown = TextOf(::GetDlgItem(dialog, IDC_PREVIEW_RECIPIENTS)) + "|" +
                    TextOf(::GetDlgItem(dialog, IDC_PREVIEW_SENDERSID)) + "|" + TextOf(edit);
            const HDC dc = ::GetDC(edit);
            editColour = BrushColour(reinterpret_cast<HBRUSH>(
                ::SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit))));
            ::ReleaseDC(edit, dc);
            dialogColour = ErasedColour(dialog);
            if (c.command == IDOK)
                PaintedScreenshot(dialog, "SMSMessagePreviewDlg.png");
            Close(dialog, c.command);
        });
        EXPECT_EQ(c.result, preview.DoModal(nullptr));
        EXPECT_EQ("", driver.Problems());
        EXPECT_EQ(preview.m_Recipients + "|Surgery|" + preview.m_Message, shown);
        EXPECT_EQ(RGB(255, 255, 255), editColour) << "the read-only edits ask for the dialog's brush";
        EXPECT_EQ(RGB(255, 255, 255), dialogColour);
        EXPECT_EQ("Surgery", preview.m_SendersId) << "the dialog changes none of its texts";
    }
}

TEST(UserMobileNumberPromptDlg, TakesDigitsAndPastesAndKeepsThePresetOnCancel)
{
    const struct
    {
        const char* name;
        const char* preset;
        std::function<void(HWND edit)> input;
        int command;
        INT_PTR result;
        const char* number;
    } cases[] = {
        {"digits typed, letters refused", "", [](HWND edit) { TypeCharacters(edit, "07a70b0 9x00"); }, IDOK, 1,
         "07700900"},
        {"a paste taken unchanged", "", [](HWND edit) { Paste(edit, "+44 (0)7700 900123 "); }, IDOK, 1,
         "+44 (0)7700 900123 "},
        {"an empty answer is still OK", "07700900123", [](HWND edit) { ::SetWindowTextA(edit, ""); }, IDOK, 1, ""},
        {"Cancel keeps the preset", "07700900123", [](HWND edit) { TypeCharacters(edit, "99"); }, IDCANCEL, 2,
         "07700900123"},
        {"the close box keeps the preset", "123", [](HWND edit) { ::SetWindowTextA(edit, "456"); }, SC_CLOSE, 2, "123"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        CUserMobileNumberPromptDlg prompt;
        prompt.SetMobileNumber(c.preset);
        std::string shownFirst;
        CWindowDriver driver;
        driver.Expect().Caption(kPromptTitle).Text("Please enter your mobile phone number").Run([&](HWND dialog) {
            const HWND edit = ::GetDlgItem(dialog, IDC_MOBILEPROMPT_NUMBER);
            shownFirst = TextOf(edit);
            c.input(edit);
            if (&c == cases)
                PaintedScreenshot(dialog, "UserMobileNumberPromptDlg.png");
            Close(dialog, c.command);
        });
        EXPECT_EQ(c.result, prompt.DoModal(nullptr));
        EXPECT_EQ("", driver.Problems());
        // The preset is shown first.
        EXPECT_EQ(c.preset, shownFirst);
        EXPECT_EQ(c.number, prompt.GetMobileNumber());
    }
}
