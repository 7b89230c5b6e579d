#include "platform/HyperLink.h"

#include "platform/Window.h"


CMessageTable<CHyperLink> CHyperLink::GetMessageTable()
{
    using Entry = CMessageEntry<CHyperLink>;
    static const Entry entries[] = {
        Entry::Message(WM_PAINT, &CHyperLink::OnPaint, "CHyperLink::OnPaint"),
        Entry::Message(WM_NCHITTEST, &CHyperLink::OnNcHitTest, "CHyperLink::OnNcHitTest"),
        Entry::Message(WM_SETCURSOR, &CHyperLink::OnSetCursor, "CHyperLink::OnSetCursor"),
        Entry::Message(WM_LBUTTONDOWN, &CHyperLink::OnLButtonDown, "CHyperLink::OnLButtonDown"),
        Entry::Message(WM_LBUTTONUP, &CHyperLink::OnLButtonUp, "CHyperLink::OnLButtonUp"),
        Entry::Message(WM_SETTEXT, &CHyperLink::OnSetText, "CHyperLink::OnSetText"),
    };
    return entries;
}

bool CHyperLink::SubclassWindow(HWND window) noexcept
{
    if (!CSubclassBase::SubclassWindow(window))
        return false;
    if (!m_Font)
        SetLinkFont(reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0)));
    ::InvalidateRect(window, nullptr, TRUE);
    return true;
}

void CHyperLink::SetLinkFont(HFONT font) noexcept
{
    m_Font = font;
    LOGFONTA description = {};
    const HGDIOBJ source = font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT);
    m_UnderlinedFont.reset();
    if (::GetObjectA(source, sizeof(description), &description) == sizeof(description))
    {
        description.lfUnderline = TRUE;
        m_UnderlinedFont.reset(::CreateFontIndirectA(&description));
    }
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
}

LRESULT CHyperLink::OnPaint(UINT, WPARAM, LPARAM, bool&)
{
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(m_hWnd, &paint);
    if (!dc)
        return 0;
    RECT client = GetClientRect();
    // The parent's colours for static texts, as the control had them.
    const HWND parent = GetParent();
    auto brush = reinterpret_cast<HBRUSH>(
        ::SendMessageA(parent, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_hWnd)));
    ::FillRect(dc, &client, brush ? brush : ::GetSysColorBrush(COLOR_BTNFACE));
    const std::string text = GetText();
    const HGDIOBJ oldFont = ::SelectObject(dc, m_UnderlinedFont ? m_UnderlinedFont.get() : m_Font);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kLinkColour);
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &client, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    ::SelectObject(dc, oldFont);
    ::EndPaint(m_hWnd, &paint);
    return 0;
}

// A static control lets mouse messages through to its parent otherwise.
LRESULT CHyperLink::OnNcHitTest(UINT, WPARAM, LPARAM, bool&)
{
    return HTCLIENT;
}

LRESULT CHyperLink::OnSetCursor(UINT, WPARAM, LPARAM, bool&)
{
    ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // IDC_HAND
    return TRUE;
}

LRESULT CHyperLink::OnLButtonDown(UINT, WPARAM, LPARAM, bool&)
{
    m_Pressed = true;
    ::SetCapture(m_hWnd);
    return 0;
}

// A click is a press and a release over the link.
LRESULT CHyperLink::OnLButtonUp(UINT, WPARAM, LPARAM lParam, bool&)
{
    if (!m_Pressed)
        return 0;
    m_Pressed = false;
    ::ReleaseCapture();
    const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    const RECT client = GetClientRect();
    if (::PtInRect(&client, point) && (m_ExtendedStyle & HLINK_COMMANDBUTTON))
    {
        const int id = ::GetDlgCtrlID(m_hWnd);
        ::SendMessageA(GetParent(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(m_hWnd));
    }
    return 0;
}

// The static's own painting would show the new text plainly.
LRESULT CHyperLink::OnSetText(UINT message, WPARAM wParam, LPARAM lParam, bool&)
{
    const LRESULT result = DefaultProc(message, wParam, lParam);
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    return result;
}
