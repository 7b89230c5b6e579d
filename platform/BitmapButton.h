// A push button drawn from an image list: one image for each state (normal,
// pushed, focus, disabled), -1 meaning "use the normal one". Subclassing
// makes the control owner-drawn; the parent passes WM_DRAWITEM back to it
// with ReflectDrawItem, as controls of this kind expect.
//
//   m_Button.SubclassWindow(GetDlgItem(kHelpIcon));
//   m_Button.SetImageList(images);     // borrowed: the caller keeps it alive
//   m_Button.SetImages(0);
//
// With BMPBTN_AUTOSIZE (the default) the control takes the size of its
// images. Clicks reach the parent as the button's usual WM_COMMAND.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "platform/WindowSubclass.h"

constexpr DWORD BMPBTN_AUTOSIZE = 0x00000001;

class CBitmapButton : public CWindowSubclass<CBitmapButton>
{
public:
    enum ImageState
    {
        kNormal,
        kPushed,
        kFocus,
        kDisabled,
        kStateCount
    };

    explicit CBitmapButton(DWORD extendedStyle = BMPBTN_AUTOSIZE) noexcept : m_ExtendedStyle(extendedStyle) {}

    static CMessageTable<CBitmapButton> GetMessageTable();

    // Also sets the owner-draw style and, with BMPBTN_AUTOSIZE, the size.
    bool SubclassWindow(HWND window) noexcept;
    DWORD GetBitmapButtonExtendedStyle() const noexcept { return m_ExtendedStyle; }
    void SetImageList(HIMAGELIST images) noexcept;
    HIMAGELIST GetImageList() const noexcept { return m_ImageList; }
    void SetImages(int normal, int pushed = -1, int focus = -1, int disabled = -1) noexcept;
    // The index drawn for the state: its own, or the normal one when -1.
    int GetImageIndex(ImageState state) const noexcept;
    // Resizes the control to one image, without moving it.
    void SizeToImage() noexcept;

private:
    LRESULT OnDrawItem(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT OnEraseBackground(UINT message, WPARAM wParam, LPARAM lParam, bool& handled);

    DWORD m_ExtendedStyle;
    HIMAGELIST m_ImageList = nullptr;  // not owned
    int m_Images[kStateCount] = {-1, -1, -1, -1};
};

// What a dialog's table lists for WM_DRAWITEM: hands the message to the
// control that sent it, as the reflected message (OCM_DRAWITEM); unhandled
// (the default drawing goes on) when the control takes no such message.
constexpr UINT kReflectedDrawItem = 0x2000 + WM_DRAWITEM;  // OCM_DRAWITEM
LRESULT ReflectDrawItem(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) noexcept;
