// A keyboard hook on Outlook's user-interface thread that hands Backspace,
// Tab and Space to the add-in's own modeless windows: Outlook's message loop
// would otherwise take these keys before the windows' dialog handling sees
// them.
//
// Process-wide state, no instances. Everything runs on the thread that
// called Initialise (the hook is thread-specific), so nothing is locked.
// Windows register and unregister themselves whether or not the hook is
// installed; the list holds borrowed handles and outlives the hook.
#pragma once

#include <windows.h>

#include <vector>

#include "core/ScopedHandle.h"

class COutlookAddinFix
{
public:
    COutlookAddinFix() = delete;

    // Installs the hook for the calling thread. Raises a _com_error E_FAIL
    // when it is already installed; a failed install leaves it uninstalled.
    static void Initialise();
    // Removes the hook when installed.
    static void Uninitialise();

    // Appends the window; the same window may be registered twice.
    static void RegisterWindow(HWND window);
    // Removes the first entry for the window; nothing when it has none.
    static void UnregisterWindow(HWND window);

    static LRESULT CALLBACK KeyboardHookProc(int code, WPARAM virtualKey, LPARAM keyFlags);

private:
    static CScopedHook m_Hook;
    static std::vector<HWND> m_Windows;
};
