#include "platform/gdi/gradient.h"

#include <gtest/gtest.h>

namespace {

using namespace platform;

TRIVERTEX vertex(LONG x, LONG y, COLORREF c)
{
    return {x, y, COLOR16(GetRValue(c) << 8), COLOR16(GetGValue(c) << 8), COLOR16(GetBValue(c) << 8), 0};
}

TEST(Gradient, RefusesBadCalls)
{
    Surface surface(4, 4, 0x808080);
    DeviceContext dc(surface);
    TRIVERTEX v[2] = {vertex(4, 4, 0), vertex(0, 0, 0xFFFFFF)};
    GRADIENT_RECT rect {1, 0};
    GRADIENT_RECT out_of_range {1, 2};
    EXPECT_EQ(GradientFill(&dc, v, 2, &rect, 1, 2), FALSE);
    EXPECT_EQ(GradientFill(&dc, v, 2, &out_of_range, 1, GRADIENT_FILL_RECT_H), FALSE);
    EXPECT_EQ(GradientFill(&dc, nullptr, 2, &rect, 1, GRADIENT_FILL_RECT_H), FALSE);
    EXPECT_EQ(surface.pixel(1, 1), 0x808080u);
    EXPECT_EQ(GradientFill(&dc, v, 2, &rect, 1, GRADIENT_FILL_RECT_V), TRUE);
}

TEST(Gradient, HugeVerticesFillOnlyTheSurfaceWithoutOverflow)
{
    Surface surface(8, 2, 0x808080);
    DeviceContext dc(surface);
    TRIVERTEX v[2] = {vertex(INT32_MAX, INT32_MAX, 0xFFFFFF), vertex(INT32_MIN, INT32_MIN, 0)};
    GRADIENT_RECT rect {1, 0};
    ASSERT_EQ(GradientFill(&dc, v, 2, &rect, 1, GRADIENT_FILL_RECT_H), TRUE);
    // The surface sits in the middle of a 2^32 wide ramp from black to white.
    EXPECT_EQ(surface.pixel(0, 0), 0x7F7F7Fu);
    EXPECT_EQ(surface.pixel(7, 1), 0x7F7F7Fu);
}

} // namespace
