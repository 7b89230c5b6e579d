// Pixel sizes designed at 96 dots per inch, scaled to the screen's.
#pragma once

#include <windows.h>

class CDPIScaler
{
public:
    // Reads the dots per inch of the window's device context; true.
    bool Init(HWND window);

    int ScaleX(int pixels) const { return Scale(pixels, m_DPIX); }
    int ScaleY(int pixels) const { return Scale(pixels, m_DPIY); }

    UINT m_DPIX = 96;
    UINT m_DPIY = 96;

private:
    static int Scale(int pixels, UINT dpi) { return dpi == 96 ? pixels : ::MulDiv(pixels, static_cast<int>(dpi), 96); }
};
