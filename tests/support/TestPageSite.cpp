#include "tests/support/TestPageSite.h"

namespace
{
constexpr wchar_t kContainerClass[] = L"ZentavoOptionsPageContainer";
} // namespace

CTestPageContainer::CTestPageContainer()
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kContainerClass;
    ::RegisterClassW(&windowClass);
    m_Window.reset(::CreateWindowExW(0, kContainerClass, L"Options", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20,
                                     560, 480, nullptr, nullptr, windowClass.hInstance, nullptr));
    ::ShowWindow(m_Window.get(), SW_SHOW);
}
