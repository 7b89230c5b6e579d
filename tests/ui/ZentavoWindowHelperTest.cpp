// The minimum size holds against whichever edge is dragged.
#include "ui/ZentavoWindowHelper.h"

#include <gtest/gtest.h>

namespace
{
struct Case
{
    WPARAM edge;
    RECT proposed;
    RECT expected;
};
} // namespace

TEST(ZentavoWindowHelper, OnSizingMovesOnlyTheDraggedEdgeToTheMinimum)
{
    // 200 by 200 proposed against a minimum of 320 by 220.
    const Case cases[] = {
        {WMSZ_LEFT, {100, 100, 300, 300}, {-20, 100, 300, 320}},
        {WMSZ_RIGHT, {100, 100, 300, 300}, {100, 100, 420, 320}},
        {WMSZ_TOP, {100, 100, 300, 300}, {100, 80, 420, 300}},
        {WMSZ_BOTTOM, {100, 100, 300, 300}, {100, 100, 420, 320}},
        {WMSZ_TOPLEFT, {100, 100, 300, 300}, {-20, 80, 300, 300}},
        {WMSZ_TOPRIGHT, {100, 100, 300, 300}, {100, 80, 420, 300}},
        {WMSZ_BOTTOMLEFT, {100, 100, 300, 300}, {-20, 100, 300, 320}},
        {WMSZ_BOTTOMRIGHT, {100, 100, 300, 300}, {100, 100, 420, 320}},
        {WMSZ_LEFT, {0, 0, 500, 400}, {0, 0, 500, 400}},
    };
    CZentavoWindowHelper helper;
    helper.m_nMinWidth = 320;
    helper.m_nMinHeight = 220;
    for (const Case& c : cases)
    {
        RECT rect = c.proposed;
        bool handled = false;
        EXPECT_EQ(1, helper.OnSizing(WM_SIZING, c.edge, reinterpret_cast<LPARAM>(&rect), handled));
        EXPECT_TRUE(handled);
        EXPECT_TRUE(::EqualRect(&c.expected, &rect))
            << "edge " << c.edge << ": " << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    }
}
