#include "ui/DPIScaler.h"

#include "core/ScopedHandle.h"

bool CDPIScaler::Init(HWND window)
{
    const CScopedWindowDC dc({window, ::GetDC(window)});
    m_DPIX = static_cast<UINT>(::GetDeviceCaps(dc.get().dc, LOGPIXELSX));
    m_DPIY = static_cast<UINT>(::GetDeviceCaps(dc.get().dc, LOGPIXELSY));
    return true;
}
