// A borrowed window handle with the few helpers dialogs use. CWindow owns
// nothing: it never destroys the window it names (CScopedWindow does that).
// Texts are ANSI, as the product's dialogs are.
#pragma once

#include <windows.h>

#include <string>

class CWindow
{
public:
    CWindow(HWND window = nullptr) noexcept : m_hWnd(window) {}

    operator HWND() const noexcept { return m_hWnd; }
    bool IsWindow() const noexcept { return m_hWnd && ::IsWindow(m_hWnd); }

    HWND GetDlgItem(int id) const noexcept { return ::GetDlgItem(m_hWnd, id); }
    HWND GetParent() const noexcept { return ::GetParent(m_hWnd); }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const noexcept
    {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const noexcept
    {
        return ::PostMessageA(m_hWnd, message, wParam, lParam) != FALSE;
    }

    // The whole text, however long.
    std::string GetText() const;
    bool SetText(const std::string& text) const noexcept { return ::SetWindowTextA(m_hWnd, text.c_str()) != FALSE; }

    bool Show(int command) const noexcept { return ::ShowWindow(m_hWnd, command) != FALSE; }
    bool Enable(bool enable) const noexcept { return ::EnableWindow(m_hWnd, enable ? TRUE : FALSE) != FALSE; }
    HWND Focus() const noexcept { return ::SetFocus(m_hWnd); }
    RECT GetClientRect() const noexcept
    {
        RECT rect = {};
        ::GetClientRect(m_hWnd, &rect);
        return rect;
    }

    HWND m_hWnd;
};
