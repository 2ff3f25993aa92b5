// Arc and RoundRect beyond what the oracle fixtures show: how the two calls relate, reversed
// and empty boxes, the current position, and huge or bad input.
#include "platform/gdi/raster.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <functional>

namespace {

using namespace platform;

constexpr COLORREF white = 0xFFFFFF;
constexpr COLORREF ink = 0x000000;

// A w x h white surface after `draw` ran on it with a black pen.
Surface drawn(int w, int h, const std::function<void(HDC)>& draw)
{
    Surface surface(w, h, white);
    DeviceContext dc(surface);
    dc.pen = ink;
    draw(&dc);
    return surface;
}

bool blank(const Surface& surface)
{
    for (auto p : surface.pixels())
        if (p != Surface::stored(white))
            return false;
    return true;
}

TEST(Ellipse, FullArcFromTheRightOfAnOddHeightBoxIsTheRoundRectEllipse)
{
    // Both calls trace the same outline; the arc's first and last points coincide on that ray,
    // so its polyline leaves nothing out.
    for (int w = 3; w <= 40; ++w) {
        for (int h = 3; h <= 40; h += 2) {
            const int middle = 1 + h / 2;
            const auto arc = drawn(42, 42, [&](HDC dc) { Arc(dc, 1, 1, 1 + w, 1 + h, 1000, middle, 1000, middle); });
            const auto ellipse = drawn(42, 42, [&](HDC dc) { RoundRect(dc, 1, 1, 1 + w, 1 + h, w, h); });
            ASSERT_EQ(arc.pixels().size(), ellipse.pixels().size());
            EXPECT_TRUE(std::equal(arc.pixels().begin(), arc.pixels().end(), ellipse.pixels().begin()))
                << w << " x " << h;
        }
    }
}

TEST(Ellipse, ReversedBoxesDrawTheOrderedBox)
{
    struct Corners {
        int left, top, right, bottom;
    };
    const Corners orders[] = {{3, 2, 27, 19}, {27, 2, 3, 19}, {3, 19, 27, 2}, {27, 19, 3, 2}};
    const auto arc = [](Corners c) {
        return drawn(30, 22, [c](HDC dc) { Arc(dc, c.left, c.top, c.right, c.bottom, 30, 4, 2, 21); });
    };
    const auto round_rect = [](Corners c) {
        return drawn(30, 22, [c](HDC dc) { RoundRect(dc, c.left, c.top, c.right, c.bottom, 9, 7); });
    };
    const Surface arc_ordered = arc(orders[0]), round_rect_ordered = round_rect(orders[0]);
    ASSERT_FALSE(blank(arc_ordered));
    for (const Corners c : orders) {
        const Surface a = arc(c), r = round_rect(c);
        EXPECT_TRUE(std::equal(a.pixels().begin(), a.pixels().end(), arc_ordered.pixels().begin()))
            << c.left << "," << c.top << "," << c.right << "," << c.bottom;
        EXPECT_TRUE(std::equal(r.pixels().begin(), r.pixels().end(), round_rect_ordered.pixels().begin()))
            << c.left << "," << c.top << "," << c.right << "," << c.bottom;
    }
}

TEST(Ellipse, EmptyAndSinglePixelBoxesDrawNothing)
{
    struct Box {
        int left, top, right, bottom;
    };
    for (const Box b : {Box {4, 4, 4, 9}, Box {4, 4, 9, 4}, Box {9, 9, 4, 9}, Box {4, 4, 5, 5}, Box {5, 5, 4, 4}}) {
        BOOL arc_result = FALSE, round_rect_result = FALSE;
        const auto surface = drawn(12, 12, [&](HDC dc) {
            arc_result = Arc(dc, b.left, b.top, b.right, b.bottom, 0, 0, 0, 0);
            round_rect_result = RoundRect(dc, b.left, b.top, b.right, b.bottom, 0, 0);
        });
        EXPECT_EQ(arc_result, TRUE);
        EXPECT_EQ(round_rect_result, TRUE);
        EXPECT_TRUE(blank(surface)) << b.left << "," << b.top << "," << b.right << "," << b.bottom;
    }
}

TEST(Ellipse, CurrentPositionIsLeftAlone)
{
    Surface surface(20, 20, white);
    DeviceContext dc(surface);
    MoveToEx(&dc, 7, -3, nullptr);
    Arc(&dc, 0, 0, 20, 20, 20, 10, 10, 0);
    RoundRect(&dc, 2, 2, 18, 18, 6, 6);
    EXPECT_EQ(dc.position, (POINT {7, -3}));
}

TEST(Ellipse, HugeInputStaysDefinedAndQuick)
{
    const auto started = std::chrono::steady_clock::now();

    // Boxes too large to trace are refused.
    BOOL result = TRUE;
    auto surface = drawn(16, 16, [&](HDC dc) { result = Arc(dc, INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0, 0, 0); });
    EXPECT_EQ(result, FALSE);
    EXPECT_TRUE(blank(surface));
    surface = drawn(16, 16, [&](HDC dc) { result = RoundRect(dc, INT_MIN, 0, INT_MAX, 16, INT_MAX, INT_MAX); });
    EXPECT_EQ(result, FALSE);
    EXPECT_TRUE(blank(surface));

    // A huge box with small corners shows its straight edges across the surface.
    surface = drawn(16, 16, [&](HDC dc) { result = RoundRect(dc, INT_MIN, 3, INT_MAX, 12, 8, 8); });
    EXPECT_EQ(result, TRUE);
    for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(surface.pixel(x, 3), ink);
        EXPECT_EQ(surface.pixel(x, 11), ink);
        EXPECT_EQ(surface.pixel(x, 7), white);
    }

    // Rays through the most distant points (here at 135 and 315 degrees from the centre pixel
    // (20, 20)) are rays like any other.
    const auto far = drawn(40, 40, [](HDC dc) { Arc(dc, 5, 5, 35, 35, INT_MIN, INT_MIN, INT_MAX, INT_MAX); });
    const auto near = drawn(40, 40, [](HDC dc) { Arc(dc, 5, 5, 35, 35, 10, 10, 30, 30); });
    EXPECT_FALSE(blank(far));
    EXPECT_TRUE(std::equal(far.pixels().begin(), far.pixels().end(), near.pixels().begin()));

    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(1));
}

TEST(Ellipse, NoDeviceContextIsRefused)
{
    EXPECT_EQ(Arc(nullptr, 0, 0, 10, 10, 0, 0, 0, 0), FALSE);
    EXPECT_EQ(RoundRect(nullptr, 0, 0, 10, 10, 3, 3), FALSE);
}

} // namespace
