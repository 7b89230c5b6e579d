#include "platform/WindowImpl.h"

#include "platform/ModuleInstance.h"

#include <cstdio>

CWindowImplBase::~CWindowImplBase()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
    {
        // Too late for the handlers: the derived object is gone.
        ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
        ::DestroyWindow(m_hWnd);
    }
    m_hWnd = nullptr;
}

std::string CWindowImplBase::RegisterWindowClass(const void* classKey, UINT classStyle) noexcept
{
    try
    {
        char name[40];
        std::snprintf(name, sizeof(name), "Zentavo:%p", classKey);
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.style = classStyle;
        windowClass.lpfnWndProc = &CWindowImplBase::WindowProc;
        windowClass.hInstance = GetThisModuleInstance();
        windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
        windowClass.lpszClassName = name;
        // A module loaded again at the same address finds its class still
        // registered, with the same procedure.
        if (!::RegisterClassExA(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
            return std::string();
        return name;
    }
    catch (...)
    {
        return std::string();
    }
}

HWND CWindowImplBase::Create(HWND parent, const RECT& rect, const char* name, DWORD style, DWORD exStyle,
                             UINT id) noexcept
{
    if (m_hWnd)
        return nullptr;
    const std::string className = GetWindowClassName();
    if (className.empty())
        return nullptr;
    const HMENU menu = (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    return ::CreateWindowExA(exStyle, className.c_str(), name ? name : "", style, rect.left, rect.top,
                             rect.right - rect.left, rect.bottom - rect.top, parent, menu, GetThisModuleInstance(),
                             this);
}

bool CWindowImplBase::DestroyWindow() noexcept
{
    return m_hWnd && ::DestroyWindow(m_hWnd) != FALSE;
}

LRESULT CALLBACK CWindowImplBase::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<CWindowImplBase*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self && message == WM_NCCREATE)
    {
        self = static_cast<CWindowImplBase*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->m_hWnd = window;
    }
    if (!self)
        return ::DefWindowProcA(window, message, wParam, lParam);

    LRESULT result = 0;
    const bool handled = self->ProcessWindowMessage(message, wParam, lParam, result);
    if (message == WM_NCDESTROY)
    {
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        self->OnFinalMessage(window);
    }
    return handled ? result : ::DefWindowProcA(window, message, wParam, lParam);
}
