#include "platform/gdi/raster.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using namespace platform;

TEST(Pixel, SetPixelAnswersTheColourSetOrInvalidOutside)
{
    Surface surface(3, 2, 0xFFFFFF);
    DeviceContext dc(surface);
    EXPECT_EQ(SetPixel(&dc, 2, 1, 0x00ABCDEF), 0x00ABCDEFu);
    EXPECT_EQ(SetPixel(&dc, 3, 1, 0x00ABCDEF), CLR_INVALID);
    EXPECT_EQ(SetPixel(&dc, INT_MIN, INT_MAX, 0), CLR_INVALID);
    EXPECT_EQ(GetPixel(&dc, 2, 1), 0x00ABCDEFu);
}

TEST(Pixel, HighByteOfAColourIsNotStored)
{
    Surface surface(1, 1, 0);
    DeviceContext dc(surface);
    SetPixel(&dc, 0, 0, 0x80000010);
    EXPECT_EQ(GetPixel(&dc, 0, 0), 0x00000010u);
}

TEST(Pixel, EmptySurfaceHasNoPixels)
{
    Surface surface(0, 0);
    DeviceContext dc(surface);
    EXPECT_EQ(GetPixel(&dc, 0, 0), CLR_INVALID);
    EXPECT_EQ(SetPixel(&dc, 0, 0, 0), CLR_INVALID);
    Surface negative(-5, 3);
    EXPECT_EQ(negative.width(), 0);
    EXPECT_TRUE(negative.pixels().empty());
}

TEST(Pixel, MoveToExReportsThePreviousPosition)
{
    Surface surface(1, 1);
    DeviceContext dc(surface);
    POINT previous {99, 99};
    MoveToEx(&dc, 5, -7, &previous);
    EXPECT_EQ(previous, (POINT {0, 0}));
    MoveToEx(&dc, 1, 2, &previous);
    EXPECT_EQ(previous, (POINT {5, -7}));
    MoveToEx(&dc, 3, 4, nullptr);
    EXPECT_EQ(dc.position, (POINT {3, 4}));
}

} // namespace
