#include "ui/ZentavoWindowHelper.h"

LRESULT CZentavoWindowHelper::OnSizing(UINT, WPARAM edge, LPARAM rectangle, bool& handled)
{
    handled = true;
    RECT& proposed = *reinterpret_cast<RECT*>(rectangle);
    if (proposed.right - proposed.left < m_nMinWidth)
    {
        if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT)
            proposed.left = proposed.right - m_nMinWidth;
        else
            proposed.right = proposed.left + m_nMinWidth;
    }
    if (proposed.bottom - proposed.top < m_nMinHeight)
    {
        if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT)
            proposed.top = proposed.bottom - m_nMinHeight;
        else
            proposed.bottom = proposed.top + m_nMinHeight;
    }
    return 1;
}
