// The keyboard fix in a real modeless dialog of this thread. Focus and the
// active window are desktop-wide under Wine, so the CTest entry takes the
// desktop lock.
#include "addin/OutlookAddinFix.h"

#include "core/Win32Utils.h"
#include "tests/support/DialogTemplate.h"

#include <comdef.h>
#include <gtest/gtest.h>

namespace
{
constexpr int kLabel = 100;
constexpr int kFirstEdit = 101;
constexpr int kSecondEdit = 102;
constexpr LPARAM kPressed = 0x000F0001;
constexpr LPARAM kReleased = LPARAM(0xC00F0001);

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

// A shown, active modeless dialog: a label, two edits and OK, in tab order.
class CKeyboardDialog
{
public:
    CKeyboardDialog()
    {
        CDialogTemplate dialog("Keys", 200, 80, WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_MODALFRAME | DS_SETFONT);
        dialog.AddStatic(kLabel, "Text:", 5, 5, 40, 10)
            .AddEdit(kFirstEdit, 50, 5, 100, 14)
            .AddEdit(kSecondEdit, 50, 25, 100, 14)
            .AddButton(IDOK, "OK", 50, 50, 50, 14, true);
        m_Window.reset(::CreateDialogIndirectParamA(::GetModuleHandleA(nullptr), dialog.Get(), nullptr,
                                                    &PlainDialogProc, 0));
        ::SetForegroundWindow(m_Window.get());
        ::SetActiveWindow(m_Window.get());
        CWin32Utils::PumpMessages();
    }

    HWND Handle() const { return m_Window.get(); }
    HWND Item(int id) const { return ::GetDlgItem(m_Window.get(), id); }

private:
    CScopedWindow m_Window;
};

// Registered for the scope; the list is process-wide.
class CRegistration
{
public:
    explicit CRegistration(HWND window) : m_Window(window) { COutlookAddinFix::RegisterWindow(window); }
    ~CRegistration() { COutlookAddinFix::UnregisterWindow(m_Window); }
    CRegistration(const CRegistration&) = delete;
    CRegistration& operator=(const CRegistration&) = delete;

private:
    HWND m_Window;
};

void SetShift(bool down)
{
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    ::SetKeyboardState(keys);
}

class KeyboardFix : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ::SetDlgItemTextA(m_Dialog.Handle(), kFirstEdit, "ab");
        ::SetDlgItemTextA(m_Dialog.Handle(), kSecondEdit, "cd");
        ASSERT_EQ(m_Dialog.Handle(), ::GetActiveWindow());
    }
    void TearDown() override
    {
        SetShift(false);
        COutlookAddinFix::Uninitialise();
    }

    // Focus on the control with the caret after its text.
    void FocusOn(int id)
    {
        ::SetFocus(m_Dialog.Item(id));
        ::SendMessageA(m_Dialog.Item(id), EM_SETSEL, 100, 100);
        ASSERT_EQ(m_Dialog.Item(id), ::GetFocus());
    }
    std::string TextOf(int id) const { return CWin32Utils::GetDlgItemText(m_Dialog.Handle(), id); }

    CKeyboardDialog m_Dialog;
};

struct KeyCase
{
    const char* what;
    int code;
    WPARAM key;
    bool shift;
    LPARAM flags;
    int focusBefore;
    LRESULT result;
    int focusAfter;
    const char* firstEditText;
};

const KeyCase kRegisteredCases[] = {
    {"tab moves on", HC_ACTION, VK_TAB, false, kPressed, kFirstEdit, 1, kSecondEdit, "ab"},
    {"tab on the last stop wraps to the first", HC_ACTION, VK_TAB, false, kPressed, IDOK, 1, kFirstEdit, "ab"},
    {"shift+tab moves back", HC_ACTION, VK_TAB, true, kPressed, kSecondEdit, 1, kFirstEdit, "ab"},
    {"shift+tab on the first stop stays", HC_ACTION, VK_TAB, true, kPressed, kFirstEdit, 1, kFirstEdit, "ab"},
    {"backspace reaches the edit", HC_ACTION, VK_BACK, false, kPressed, kFirstEdit, 1, kFirstEdit, "a"},
    {"space reaches the edit", HC_ACTION, VK_SPACE, false, kPressed, kFirstEdit, 1, kFirstEdit, "ab "},
    {"keys Outlook only peeks at too", HC_NOREMOVE, VK_SPACE, false, kPressed, kFirstEdit, 1, kFirstEdit, "ab "},
    {"tab release swallowed", HC_ACTION, VK_TAB, false, kReleased, kFirstEdit, 1, kFirstEdit, "ab"},
    {"backspace release swallowed", HC_ACTION, VK_BACK, false, kReleased, kFirstEdit, 1, kFirstEdit, "ab"},
    {"space release swallowed", HC_ACTION, VK_SPACE, false, kReleased, kFirstEdit, 1, kFirstEdit, "ab"},
    {"other keys pass", HC_ACTION, 'A', false, kPressed, kFirstEdit, 0, kFirstEdit, "ab"},
    {"a negative code passes", -1, VK_SPACE, false, kPressed, kFirstEdit, 0, kFirstEdit, "ab"},
    {"a negative code passes a release", -1, VK_TAB, false, kReleased, kFirstEdit, 0, kFirstEdit, "ab"},
};

TEST_F(KeyboardFix, RegisteredWindowGetsTheKeys)
{
    CRegistration registration(m_Dialog.Handle());
    for (const KeyCase& c : kRegisteredCases)
    {
        ::SetDlgItemTextA(m_Dialog.Handle(), kFirstEdit, "ab");
        FocusOn(c.focusBefore);
        SetShift(c.shift);

        EXPECT_EQ(c.result, COutlookAddinFix::KeyboardHookProc(c.code, c.key, c.flags)) << c.what;

        EXPECT_EQ(m_Dialog.Item(c.focusAfter), ::GetFocus()) << c.what;
        EXPECT_EQ(c.firstEditText, TextOf(kFirstEdit)) << c.what;
    }
}

TEST_F(KeyboardFix, OtherWindowsKeepTheirKeys)
{
    for (WPARAM key : {VK_TAB, VK_BACK, VK_SPACE})
    {
        for (LPARAM flags : {kPressed, kReleased})
        {
            FocusOn(kFirstEdit);
            EXPECT_EQ(0, COutlookAddinFix::KeyboardHookProc(HC_ACTION, key, flags)) << key;
            EXPECT_EQ(m_Dialog.Item(kFirstEdit), ::GetFocus()) << key;
            EXPECT_EQ("ab", TextOf(kFirstEdit)) << key;
        }
    }
}

TEST_F(KeyboardFix, UnregisteringRemovesOneEntry)
{
    COutlookAddinFix::RegisterWindow(m_Dialog.Handle());
    COutlookAddinFix::RegisterWindow(m_Dialog.Handle());
    COutlookAddinFix::UnregisterWindow(m_Dialog.Handle());
    FocusOn(kFirstEdit);
    EXPECT_EQ(1, COutlookAddinFix::KeyboardHookProc(HC_ACTION, VK_SPACE, kPressed));

    COutlookAddinFix::UnregisterWindow(m_Dialog.Handle());
    COutlookAddinFix::UnregisterWindow(m_Dialog.Handle());
    EXPECT_EQ(0, COutlookAddinFix::KeyboardHookProc(HC_ACTION, VK_SPACE, kPressed));
    EXPECT_EQ("ab ", TextOf(kFirstEdit));
}

TEST_F(KeyboardFix, TabWithNothingFocusedStaysInTheWindow)
{
    CRegistration registration(m_Dialog.Handle());
    ::SetFocus(nullptr);
    ASSERT_EQ(nullptr, ::GetFocus());

    EXPECT_EQ(1, COutlookAddinFix::KeyboardHookProc(HC_ACTION, VK_TAB, kPressed));

    EXPECT_EQ(nullptr, ::GetFocus());
    EXPECT_EQ(m_Dialog.Handle(), ::GetActiveWindow());
}

TEST_F(KeyboardFix, InitialisingTwiceRaises)
{
    COutlookAddinFix::Initialise();
    try
    {
        COutlookAddinFix::Initialise();
        FAIL() << "no error";
    }
    catch (const _com_error& error)
    {
        EXPECT_EQ(E_FAIL, error.Error());
        EXPECT_STREQ(L"COutlookAddinFix::Initialise - Aleady running in application",
                     static_cast<const wchar_t*>(error.Description()));
    }
    COutlookAddinFix::Uninitialise();
    COutlookAddinFix::Uninitialise();
    EXPECT_NO_THROW(COutlookAddinFix::Initialise());
}
} // namespace

namespace
{
void TypeKey(WORD key)
{
    INPUT inputs[2] = {};
    for (INPUT& input : inputs)
    {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, inputs, sizeof(INPUT));
    // Outlook's loop: no IsDialogMessage, so only the hook can move focus.
    for (int i = 0; i < 20; ++i)
    {
        CWin32Utils::PumpMessages();
        ::Sleep(10);
    }
}

TEST_F(KeyboardFix, RealKeysThroughTheInstalledHook)
{
    CRegistration registration(m_Dialog.Handle());
    COutlookAddinFix::Initialise();
    FocusOn(kFirstEdit);

    TypeKey(VK_TAB);
    EXPECT_EQ(m_Dialog.Item(kSecondEdit), ::GetFocus());
    ::SendMessageA(m_Dialog.Item(kSecondEdit), EM_SETSEL, 100, 100);
    TypeKey(VK_BACK);
    TypeKey(VK_SPACE);
    EXPECT_EQ("c ", TextOf(kSecondEdit));
}
} // namespace
