#include "platform/WindowSubclass.h"

namespace
{
constexpr char kObjectProperty[] = "CSubclassBase.Object";
}

bool CSubclassBase::SubclassWindow(HWND window) noexcept
{
    if (m_hWnd || !::IsWindow(window) || ::GetPropA(window, kObjectProperty))
        return false;
    if (!::SetPropA(window, kObjectProperty, this))
        return false;
    m_hWnd = window;
    m_OriginalProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
    if (!m_OriginalProc)
    {
        ::RemovePropA(window, kObjectProperty);
        m_hWnd = nullptr;
        return false;
    }
    return true;
}

void CSubclassBase::UnsubclassWindow() noexcept
{
    if (!m_hWnd)
        return;
    const auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC));
    if (current == SubclassProc)
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_OriginalProc));
    ::RemovePropA(m_hWnd, kObjectProperty);
    m_hWnd = nullptr;
}

LRESULT CALLBACK CSubclassBase::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<CSubclassBase*>(::GetPropA(window, kObjectProperty));
    if (!self)
        return ::DefWindowProcA(window, message, wParam, lParam);

    const WNDPROC original = self->m_OriginalProc;
    LRESULT result = 0;
    const bool handled = self->ProcessWindowMessage(message, wParam, lParam, result);
    if (message == WM_NCDESTROY)
    {
        // The window's own procedure cleans up at its last message, whatever
        // the table did.
        self->UnsubclassWindow();
        return ::CallWindowProcA(original, window, message, wParam, lParam);
    }
    return handled ? result : ::CallWindowProcA(original, window, message, wParam, lParam);
}
