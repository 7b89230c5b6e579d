// The help control pair of a dialog: a small picture button (bitmap 219)
// and a link-styled text. Both only report clicks: the parent gets the
// ordinary WM_COMMAND of each control's id and decides what to open. The
// parent lists ReflectDrawItem (platform/BitmapButton.h) for WM_DRAWITEM so
// that the picture button can draw itself.
#pragma once

#include <windows.h>

#include "core/ScopedHandle.h"
#include "platform/BitmapButton.h"
#include "platform/HyperLink.h"

class CZentavoHelpButton
{
public:
    static constexpr int kImageWidth = 20;
    static constexpr COLORREF kMaskColour = RGB(212, 208, 200);

    // Attaches the pair to two controls of the parent; throws
    // CGeneralException when the picture cannot be loaded or a control
    // cannot be attached.
    void Init(HWND parent, int buttonId, int linkId);

    CBitmapButton& Button() { return m_Button; }
    CHyperLink& Link() { return m_Link; }

private:
    CBitmapButton m_Button;
    CHyperLink m_Link;
    // Owned here; the button only borrows it while the windows live.
    CScopedImageList m_ImageList;
};
