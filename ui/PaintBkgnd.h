// A dialog's background and its static texts' background in one solid
// colour, for dialogs that follow the look of newer Outlook versions. The
// dialog hands itself as an IPaintBkgndWindow to the plug-in core's
// SetupDialogBackground, which sets the colour when Outlook asks for it;
// until then the mix-in stays out of the way.
//
//   class CMyDlg : public CZentavoAxDialogImpl<CMyDlg>, public CPaintBkgnd<CMyDlg>
//   ...
//       Entry::Chain(&CMyDlg::ProcessPaintBkgndMessage, "CPaintBkgnd::ProcessPaintBkgndMessage"),
//
// The chain line goes last, so that the dialog's own handlers come first.
#pragma once

#include <windows.h>

#include "core/ScopedHandle.h"

class IPaintBkgndWindow
{
public:
    // Replaces the brush with a new solid one of the colour and returns it
    // (null when it cannot be created: the dialog then paints as usual).
    virtual HBRUSH SetBackgroundColour(COLORREF colour) = 0;

protected:
    ~IPaintBkgndWindow() = default;
};

template <typename T>
class CPaintBkgnd : public IPaintBkgndWindow
{
public:
    HBRUSH SetBackgroundColour(COLORREF colour) override
    {
        m_Brush.reset();
        m_Brush.reset(::CreateSolidBrush(colour));
        return m_Brush.get();
    }

    // WM_ERASEBKGND and WM_CTLCOLORSTATIC while there is a brush; every other
    // message, and these two without a brush, go on unhandled.
    LRESULT ProcessPaintBkgndMessage(UINT message, WPARAM wParam, LPARAM, bool& handled)
    {
        handled = false;
        if (!m_Brush)
            return 0;
        if (message == WM_ERASEBKGND)
        {
            const HWND window = static_cast<T*>(this)->m_hWnd;
            RECT client = {};
            ::GetClientRect(window, &client);
            ::FillRect(reinterpret_cast<HDC>(wParam), &client, m_Brush.get());
            handled = true;
            return 1;
        }
        if (message == WM_CTLCOLORSTATIC)
        {
            handled = true;
            return reinterpret_cast<LRESULT>(m_Brush.get());
        }
        return 0;
    }

private:
    CScopedBrush m_Brush;
};
