// Sizes designed at 96 dots per inch, at the common screen settings.
#include "ui/DPIScaler.h"

#include <gtest/gtest.h>

TEST(DPIScaler, InitReadsTheWindowsDotsPerInch)
{
    CDPIScaler scaler;
    EXPECT_TRUE(scaler.Init(::GetDesktopWindow()));
    const HDC screen = ::GetDC(::GetDesktopWindow());
    EXPECT_EQ(static_cast<UINT>(::GetDeviceCaps(screen, LOGPIXELSX)), scaler.m_DPIX);
    EXPECT_EQ(static_cast<UINT>(::GetDeviceCaps(screen, LOGPIXELSY)), scaler.m_DPIY);
    ::ReleaseDC(::GetDesktopWindow(), screen);
}

TEST(DPIScaler, ScalesToTheNearestPixel)
{
    struct Case
    {
        UINT dpi;
        int sizes[3];  // 16, 24 and 7 pixels at 96 dots per inch
    };
    const Case cases[] = {
        {96, {16, 24, 7}},
        {120, {20, 30, 9}},
        {144, {24, 36, 11}},
        {192, {32, 48, 14}},
    };
    const int designed[] = {16, 24, 7};
    for (const Case& c : cases)
    {
        // Each direction by its own field.
        CDPIScaler wide;
        wide.m_DPIX = c.dpi;
        CDPIScaler tall;
        tall.m_DPIY = c.dpi;
        for (int i = 0; i < 3; ++i)
        {
            EXPECT_EQ(c.sizes[i], wide.ScaleX(designed[i])) << c.dpi << " dpi, " << designed[i];
            EXPECT_EQ(designed[i], wide.ScaleY(designed[i]));
            EXPECT_EQ(c.sizes[i], tall.ScaleY(designed[i])) << c.dpi << " dpi, " << designed[i];
            EXPECT_EQ(designed[i], tall.ScaleX(designed[i]));
        }
    }
}
