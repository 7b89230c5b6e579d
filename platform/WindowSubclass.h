// Subclassing of a window the class did not create (typically a dialog's
// child control): its messages go through the class's table first, and what
// the table leaves unhandled goes on to the window's own procedure.
//
//   class CDigitsEdit : public CWindowSubclass<CDigitsEdit> { ... };
//   m_Edit.SubclassWindow(GetDlgItem(kNumberEdit));
//
// The subclass ends by itself at the window's WM_NCDESTROY, or when the object
// goes. One object per window; same thread as the window.
#pragma once

#include <windows.h>

#include "platform/MessageMap.h"

class CSubclassBase : public CMessageTarget
{
public:
    // False when this object already subclasses a window or the window is
    // invalid or already subclassed by another object.
    bool SubclassWindow(HWND window) noexcept;
    // Restores the window's procedure (when nobody subclassed it after us)
    // and lets go of it; the window lives on.
    void UnsubclassWindow() noexcept;

protected:
    CSubclassBase() = default;
    ~CSubclassBase() override { UnsubclassWindow(); }

    // The window's own procedure, for a handler that wants it first.
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) const noexcept
    {
        return ::CallWindowProcA(m_OriginalProc, m_hWnd, message, wParam, lParam);
    }

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_OriginalProc = nullptr;
};

template <typename T>
class CWindowSubclass : public CSubclassBase
{
protected:
    bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) noexcept override
    {
        return DispatchMessageTable(static_cast<T&>(*this), message, wParam, lParam, result, m_Hook);
    }
};
