#include "tests/support/TestMessageWindow.h"

namespace
{
const char* const kClassName = "ZentavoTestMessageWindow";

void RegisterClassOnce()
{
    static const ATOM atom = [] {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = ::DefWindowProcA;
        windowClass.hInstance = ::GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kClassName;
        return ::RegisterClassExA(&windowClass);
    }();
    (void)atom;
}
} // namespace

CTestMessageWindow::CTestMessageWindow()
{
    RegisterClassOnce();
    m_Window = ::CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
    ::SetWindowLongPtrA(m_Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ::SetWindowLongPtrA(m_Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CTestMessageWindow::WindowProc));
}

CTestMessageWindow::~CTestMessageWindow()
{
    ::DestroyWindow(m_Window);
}

int CTestMessageWindow::Count(UINT message) const
{
    const auto found = m_Counts.find(message);
    return found == m_Counts.end() ? 0 : found->second;
}

LRESULT CALLBACK CTestMessageWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<CTestMessageWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && message >= WM_USER)
    {
        ++self->m_Counts[message];
        if (self->m_Handler)
            self->m_Handler(message, wParam, lParam);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void DiscardThreadMessages()
{
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
    }
}

void PumpThreadMessages(DWORD milliseconds)
{
    const DWORD start = ::GetTickCount();
    MSG message;
    do
    {
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (::GetTickCount() - start < milliseconds);
}
