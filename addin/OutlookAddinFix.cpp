#include "addin/OutlookAddinFix.h"

#include <algorithm>

#include "core/ErrorReports.h"
#include "core/Win32Utils.h"
#include "platform/ModuleInstance.h"

CScopedHook COutlookAddinFix::m_Hook;
std::vector<HWND> COutlookAddinFix::m_Windows;

namespace
{
// Bit 31 of the key flags: the key is being released.
constexpr LPARAM kKeyReleased = LPARAM(1) << 31;

bool IsFixedKey(WPARAM virtualKey)
{
    return virtualKey == VK_BACK || virtualKey == VK_TAB || virtualKey == VK_SPACE;
}

void MoveFocusToNextTabStop(HWND focus)
{
    const bool backwards = ::GetKeyState(VK_SHIFT) < 0;
    HWND next = backwards ? CWin32Utils::GetPrevTabStopWindow(focus) : CWin32Utils::GetNextTabStopWindow(focus);
    if (next)
        ::SetFocus(next);
}
} // namespace

void COutlookAddinFix::Initialise()
{
    if (m_Hook)
        ThrowCOMError(E_FAIL, "COutlookAddinFix::Initialise - Aleady running in application");
    m_Hook.reset(::SetWindowsHookExA(WH_KEYBOARD, &COutlookAddinFix::KeyboardHookProc, GetThisModuleInstance(),
                                     ::GetCurrentThreadId()));
}

void COutlookAddinFix::Uninitialise()
{
    m_Hook.reset();
}

void COutlookAddinFix::RegisterWindow(HWND window)
{
    m_Windows.push_back(window);
}

void COutlookAddinFix::UnregisterWindow(HWND window)
{
    const auto found = std::find(m_Windows.begin(), m_Windows.end(), window);
    if (found != m_Windows.end())
        m_Windows.erase(found);
}

LRESULT CALLBACK COutlookAddinFix::KeyboardHookProc(int code, WPARAM virtualKey, LPARAM keyFlags)
{
    // A negative code must go straight on, untouched.
    if (code < 0 || !IsFixedKey(virtualKey))
        return ::CallNextHookEx(m_Hook.get(), code, virtualKey, keyFlags);
    HWND active = ::GetActiveWindow();
    if (std::find(m_Windows.begin(), m_Windows.end(), active) == m_Windows.end())
        return ::CallNextHookEx(m_Hook.get(), code, virtualKey, keyFlags);
    if (keyFlags & kKeyReleased)
        return 1;

    HWND focus = ::GetFocus();
    if (virtualKey == VK_TAB)
        MoveFocusToNextTabStop(focus);
    else
        ::SendMessageA(focus, WM_CHAR, virtualKey, keyFlags);
    return 1;
}
