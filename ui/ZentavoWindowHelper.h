// Keeps a resizable window from being dragged smaller than a minimum size.
// The owning window sets the minimum and routes WM_SIZING here.
#pragma once

#include <windows.h>

class CZentavoWindowHelper
{
public:
    CZentavoWindowHelper() = default;
    virtual ~CZentavoWindowHelper() = default;

    // WM_SIZING: widens or heightens the proposed rectangle to the minimum,
    // moving the edge being dragged and keeping the other still; 1.
    LRESULT OnSizing(UINT message, WPARAM edge, LPARAM rectangle, bool& handled);

    int m_nMinWidth = 100;
    int m_nMinHeight = 100;
};
