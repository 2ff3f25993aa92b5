// Lines and polygon outlines beyond what the oracle fixtures show: huge coordinates against a
// cropped reference, the current position, and bad input.
#include "platform/gdi/raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>

namespace {

using namespace platform;

constexpr COLORREF white = 0xFFFFFF;
constexpr COLORREF ink = 0x000000;

// The line from a to b as a w x h crop of an unbounded surface, each of the crop's columns (or
// rows) on its own: step t of n along the major axis puts the minor coordinate at the nearest
// pixel to start + delta * t / n, a half-way point going to the smaller one.
Surface reference_line(int w, int h, POINT a, POINT b)
{
    Surface out(w, h, white);
    const int64_t dx = int64_t(b.x) - a.x, dy = int64_t(b.y) - a.y;
    const bool x_major = std::llabs(dx) >= std::llabs(dy);
    const int64_t n = x_major ? std::llabs(dx) : std::llabs(dy);
    const int64_t major_start = x_major ? a.x : a.y, minor_start = x_major ? a.y : a.x;
    const int64_t minor_delta = x_major ? dy : dx, step = (x_major ? dx : dy) > 0 ? 1 : -1;
    for (int64_t major = 0; major < (x_major ? w : h); ++major) {
        const int64_t t = (major - major_start) * step;
        if (t < 0 || t >= n)
            continue;
        // ceil(delta * t / n - 1/2), exactly.
        const __int128 twice = __int128(minor_delta) * t * 2 - n;
        __int128 minor = twice / (2 * n);
        if (minor * 2 * n < twice)
            ++minor;
        const int64_t m = minor_start + int64_t(minor);
        out.set_pixel(int(x_major ? major : m), int(x_major ? m : major), ink);
    }
    return out;
}

Surface drawn_line(int w, int h, POINT a, POINT b)
{
    Surface out(w, h, white);
    raster::stroke_line(out, a, b, ink);
    return out;
}

int inked(const Surface& surface)
{
    int count = 0;
    for (auto p : surface.pixels())
        count += p == Surface::stored(ink);
    return count;
}

TEST(Line, HugeCoordinatesDrawWhatACroppedSurfaceShows)
{
    struct Case {
        POINT from, to;
    };
    const Case cases[] = {
        {{INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}},       // the full diagonal, through the surface
        {{INT_MAX, INT_MAX}, {INT_MIN, INT_MIN}},       // and back
        {{INT_MIN, 7}, {INT_MAX, 31}},                  // near-horizontal across 2^32 columns
        {{31, INT_MAX}, {2, INT_MIN}},                  // near-vertical, drawn upwards
        {{-1073741824, 1073741850}, {1073741850, -1073741824}},
        {{-1000000007, -333333331}, {1000000019, 333333347}},
        {{INT_MAX, 20}, {INT_MIN, 20}},                 // horizontal
        {{INT_MIN, INT_MAX}, {INT_MAX, INT_MIN}},       // misses the surface
    };
    for (const auto& c : cases) {
        const Surface want = reference_line(40, 40, c.from, c.to);
        const Surface got = drawn_line(40, 40, c.from, c.to);
        EXPECT_TRUE(std::equal(want.pixels().begin(), want.pixels().end(), got.pixels().begin()))
            << "(" << c.from.x << ", " << c.from.y << ") -> (" << c.to.x << ", " << c.to.y << ")";
    }
    EXPECT_EQ(inked(drawn_line(40, 40, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX})), 40);
    EXPECT_EQ(inked(drawn_line(40, 40, {INT_MAX, 20}, {INT_MIN, 20})), 40);
}

TEST(Line, ShortLinesAroundTheSurfaceMatchTheReference)
{
    // Every line between points of a ring just outside and inside a 6x5 surface.
    for (int ax = -3; ax <= 8; ++ax)
        for (int ay = -3; ay <= 7; ++ay)
            for (int bx = -3; bx <= 8; bx += 2)
                for (int by = -3; by <= 7; by += 3) {
                    const Surface want = reference_line(6, 5, {ax, ay}, {bx, by});
                    const Surface got = drawn_line(6, 5, {ax, ay}, {bx, by});
                    ASSERT_TRUE(std::equal(want.pixels().begin(), want.pixels().end(), got.pixels().begin()))
                        << "(" << ax << ", " << ay << ") -> (" << bx << ", " << by << ")";
                }
}

TEST(Line, ZeroLengthDrawsNothingAndEmptySurfaceIsSafe)
{
    EXPECT_EQ(inked(drawn_line(4, 4, {2, 2}, {2, 2})), 0);
    Surface empty(0, 0);
    raster::stroke_line(empty, {INT_MIN, 0}, {INT_MAX, 0}, ink);
    EXPECT_TRUE(empty.pixels().empty());
}

TEST(Line, LineToMovesThePositionAndDrawsInThePen)
{
    Surface surface(5, 3, white);
    DeviceContext dc(surface);
    dc.pen = 0x0000FF;
    MoveToEx(&dc, 0, 1, nullptr);
    EXPECT_EQ(LineTo(&dc, 3, 1), TRUE);
    EXPECT_EQ(dc.position, (POINT {3, 1}));
    EXPECT_EQ(LineTo(&dc, 3, 1), TRUE); // zero length: nothing, still TRUE
    EXPECT_EQ(GetPixel(&dc, 2, 1), 0x0000FFu);
    EXPECT_EQ(GetPixel(&dc, 3, 1), white);
    EXPECT_EQ(LineTo(nullptr, 1, 1), FALSE);
}

TEST(Polygon, LeavesTheCurrentPositionAlone)
{
    Surface surface(8, 8, white);
    DeviceContext dc(surface);
    MoveToEx(&dc, 6, 1, nullptr);
    const POINT square[] = {{1, 1}, {4, 1}, {4, 4}, {1, 4}};
    EXPECT_EQ(Polygon(&dc, square, 4), TRUE);
    EXPECT_EQ(dc.position, (POINT {6, 1}));
    EXPECT_EQ(inked(surface), 12);
}

TEST(Polygon, TooFewOrNoPointsDrawNothingAndFail)
{
    Surface surface(4, 4, white);
    DeviceContext dc(surface);
    const POINT points[] = {{0, 0}, {3, 3}};
    EXPECT_EQ(Polygon(&dc, points, 1), FALSE);
    EXPECT_EQ(Polygon(&dc, points, 0), FALSE);
    EXPECT_EQ(Polygon(&dc, points, -5), FALSE);
    EXPECT_EQ(Polygon(&dc, nullptr, 2), FALSE);
    EXPECT_EQ(Polygon(nullptr, points, 2), FALSE);
    EXPECT_EQ(inked(surface), 0);
}

} // namespace
