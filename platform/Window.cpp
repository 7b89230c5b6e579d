#include "platform/Window.h"

std::string CWindow::GetText() const
{
    const int length = ::GetWindowTextLengthA(m_hWnd);
    if (length <= 0)
        return std::string();
    // The length is an upper bound (it may count double-byte characters
    // twice); the copy says how much it wrote.
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(m_hWnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}
