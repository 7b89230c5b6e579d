// A static control drawn as a link: its own text, underlined, in the link
// colour and the control's font, with the hand cursor over it. In
// command-button mode (HLINK_COMMANDBUTTON, the only mode the product uses)
// a click sends WM_COMMAND (the control's id, BN_CLICKED) to the parent,
// which decides what to open.
//
//   m_Link.SetHyperLinkExtendedStyle(HLINK_COMMANDBUTTON);
//   m_Link.SubclassWindow(GetDlgItem(kHelpLink));
//
// The font is borrowed (the control's own unless SetLinkFont gave one); the
// underlined copy is the object's own.
#pragma once

#include <windows.h>

#include "core/ScopedHandle.h"
#include "platform/WindowSubclass.h"

constexpr DWORD HLINK_COMMANDBUTTON = 0x00000004;

class CHyperLink : public CWindowSubclass<CHyperLink>
{
public:
    static constexpr COLORREF kLinkColour = RGB(0, 0, 255);

    static CMessageTable<CHyperLink> GetMessageTable();

    // Takes the control's font (WM_GETFONT) when none was set.
    bool SubclassWindow(HWND window) noexcept;
    void SetHyperLinkExtendedStyle(DWORD style) noexcept { m_ExtendedStyle = style; }
    DWORD GetHyperLinkExtendedStyle() const noexcept { return m_ExtendedStyle; }
    void SetLinkFont(HFONT font) noexcept;
    HFONT GetLinkFont() const noexcept { return m_Font; }

private:
    LRESULT OnPaint(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnSetCursor(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnSetText(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    DWORD m_ExtendedStyle = 0;
    HFONT m_Font = nullptr;  // not owned
    CScopedHandle<GdiObjectTraits<HFONT>> m_UnderlinedFont;
    bool m_Pressed = false;
};
