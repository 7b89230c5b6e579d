#include "platform/BitmapButton.h"

CMessageTable<CBitmapButton> CBitmapButton::GetMessageTable()
{
    using Entry = CMessageEntry<CBitmapButton>;
    static const Entry entries[] = {
        Entry::Message(kReflectedDrawItem, &CBitmapButton::OnDrawItem, "CBitmapButton::OnDrawItem"),
        Entry::Message(WM_ERASEBKGND, &CBitmapButton::OnEraseBackground, "CBitmapButton::OnEraseBackground"),
    };
    return entries;
}

bool CBitmapButton::SubclassWindow(HWND window) noexcept
{
    if (!CSubclassBase::SubclassWindow(window))
        return false;
    const LONG_PTR style = ::GetWindowLongPtrA(window, GWL_STYLE);
    ::SetWindowLongPtrA(window, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
    if (m_ImageList && (m_ExtendedStyle & BMPBTN_AUTOSIZE))
        SizeToImage();
    return true;
}

void CBitmapButton::SetImageList(HIMAGELIST images) noexcept
{
    m_ImageList = images;
    if (m_hWnd && m_ImageList && (m_ExtendedStyle & BMPBTN_AUTOSIZE))
        SizeToImage();
}

void CBitmapButton::SetImages(int normal, int pushed, int focus, int disabled) noexcept
{
    m_Images[kNormal] = normal;
    m_Images[kPushed] = pushed;
    m_Images[kFocus] = focus;
    m_Images[kDisabled] = disabled;
    if (m_hWnd)
        ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

int CBitmapButton::GetImageIndex(ImageState state) const noexcept
{
    return m_Images[state] != -1 ? m_Images[state] : m_Images[kNormal];
}

void CBitmapButton::SizeToImage() noexcept
{
    int width = 0;
    int height = 0;
    if (m_hWnd && m_ImageList && ::ImageList_GetIconSize(m_ImageList, &width, &height))
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The button fills its whole face when it draws.
LRESULT CBitmapButton::OnEraseBackground(UINT, WPARAM, LPARAM, bool&)
{
    return 1;
}

LRESULT CBitmapButton::OnDrawItem(UINT, WPARAM, LPARAM lParam, bool&)
{
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    ImageState state = kNormal;
    if (item->itemState & ODS_DISABLED)
        state = kDisabled;
    else if (item->itemState & ODS_SELECTED)
        state = kPushed;
    else if (item->itemState & ODS_FOCUS)
        state = kFocus;
    ::FillRect(item->hDC, &item->rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
    const int index = GetImageIndex(state);
    if (m_ImageList && index >= 0)
        ::ImageList_Draw(m_ImageList, index, item->hDC, item->rcItem.left, item->rcItem.top, ILD_NORMAL);
    return TRUE;
}

LRESULT ReflectDrawItem(UINT, WPARAM wParam, LPARAM lParam, bool& handled) noexcept
{
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    // Menus draw through their owner; only controls are reflected.
    if (!item || item->CtlType == ODT_MENU || !item->hwndItem)
    {
        handled = false;
        return 0;
    }
    const LRESULT result = ::SendMessageA(item->hwndItem, kReflectedDrawItem, wParam, lParam);
    handled = result != 0;
    return result;
}
