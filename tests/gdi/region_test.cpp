// Region structure and the rules the oracle fixtures cannot show: the invariant, edges of
// contains and bounds, ALTERNATE, the QRegion copy and hostile input. Pixel coverage is
// pinned by fixtures/rgn-*.gdi.
#include "platform/gdi/region.h"

#include <gtest/gtest.h>

#include <QRegion>

#include <climits>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace platform;

constexpr int kHuge = 1 << 30;

struct Construction {
    const char* name;
    std::function<Region()> make;
    bool failed = false;
};

Region polygon(std::vector<POINT> points, int mode = WINDING)
{
    return CreatePolygonRgn(points.data(), int(points.size()), mode);
}

const std::vector<POINT> kStar {{12, 0}, {19, 24}, {0, 8}, {24, 8}, {5, 24}};
const std::vector<POINT> kSquareTwice {{1, 1}, {9, 1}, {9, 9}, {1, 9}, {1, 1}, {9, 1}, {9, 9}, {1, 9}};

std::vector<Construction> constructions()
{
    return {
        {"ellipse", [] { return CreateEllipticRgn(0, 0, 25, 25); }},
        {"ellipse_reversed", [] { return CreateEllipticRgn(25, 25, 0, 0); }},
        {"ellipse_empty_box", [] { return CreateEllipticRgn(3, 3, 4, 4); }},
        {"ellipse_thin", [] { return CreateEllipticRgn(0, 0, 5, 90); }},
        {"ellipse_negative", [] { return CreateEllipticRgn(-40, -9, -3, 30); }},
        {"ellipse_huge", [] { return CreateEllipticRgn(-kHuge, -kHuge, kHuge, kHuge); }},
        {"ellipse_extremes", [] { return CreateEllipticRgn(INT_MIN, INT_MAX, INT_MAX, INT_MIN); }},
        {"roundrect", [] { return CreateRoundRectRgn(0, 0, 80, 25, 15, 15); }},
        {"roundrect_no_corner", [] { return CreateRoundRectRgn(0, 0, 80, 25, 0, 0); }},
        {"roundrect_thin_corner", [] { return CreateRoundRectRgn(0, 0, 30, 40, 3, 30); }},
        {"roundrect_extreme_corner", [] { return CreateRoundRectRgn(0, 0, 30, 40, INT_MIN, INT_MAX); }},
        {"roundrect_huge", [] { return CreateRoundRectRgn(-kHuge, -kHuge, kHuge, kHuge, kHuge, 7); }},
        {"polygon_star", [] { return polygon(kStar); }},
        {"polygon_star_alternate", [] { return polygon(kStar, ALTERNATE); }},
        {"polygon_twice_wound", [] { return polygon(kSquareTwice); }},
        {"polygon_two_points", [] { return polygon({{0, 0}, {9, 9}}); }},
        {"polygon_flat", [] { return polygon({{0, 5}, {4, 5}, {9, 5}}); }},
        {"polygon_huge", [] { return polygon({{-kHuge, -kHuge}, {kHuge, 3}, {-5, kHuge}}); }},
        {"polygon_extremes", [] { return polygon({{INT_MIN, INT_MIN}, {INT_MAX, INT_MIN}, {INT_MIN, INT_MAX}}); }},
        {"polygon_null", [] { return CreatePolygonRgn(nullptr, 3, WINDING); }, true},
        {"polygon_no_points", [] { return polygon({}); }, true},
        {"polygon_negative_count", [] { POINT p[3] {}; return CreatePolygonRgn(p, -3, WINDING); }, true},
        {"polygon_bad_mode", [] { return polygon(kStar, 0); }, true},
    };
}

TEST(Region, EveryConstructionKeepsTheInvariant)
{
    for (const auto& c : constructions()) {
        SCOPED_TRACE(c.name);
        const Region region = c.make();
        EXPECT_TRUE(region.is_valid());
        EXPECT_EQ(region.failed(), c.failed);
        if (c.failed) {
            EXPECT_TRUE(region.is_empty());
        }
        const RECT box = region.bounds();
        EXPECT_GE(box.left, REGION_COORD_MIN);
        EXPECT_GE(box.top, REGION_COORD_MIN);
        EXPECT_LE(box.right, REGION_COORD_MAX + 1);
        EXPECT_LE(box.bottom, REGION_COORD_MAX + 1);
    }
}

TEST(Region, EqualRowsShareOneBand)
{
    const Region box = polygon({{2, 3}, {12, 3}, {12, 9}, {2, 9}});
    ASSERT_EQ(box.bands().size(), 1u);
    EXPECT_EQ(box.bands()[0].y0, 3);
    EXPECT_EQ(box.bands()[0].y1, 9);
    ASSERT_EQ(box.spans(box.bands()[0]).size(), 1u);
    EXPECT_EQ(box.spans(box.bands()[0])[0], (Region::Span {2, 12}));
}

TEST(Region, ContainsAndBoundsAtTheEdges)
{
    const Region square = polygon({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
    EXPECT_EQ(square.bounds(), (RECT {0, 0, 10, 10}));
    struct Probe {
        int x, y;
        bool in;
    };
    for (const Probe p : {Probe {0, 0, true}, {9, 9, true}, {9, 0, true}, {0, 9, true}, {10, 5, false},
                          {5, 10, false}, {-1, 5, false}, {5, -1, false}}) {
        SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
        EXPECT_EQ(square.contains(p.x, p.y), p.in);
    }

    // The star has two spans in its lower rows: the gap between them is out.
    const Region star = polygon(kStar);
    EXPECT_TRUE(star.contains(7, 20));
    EXPECT_FALSE(star.contains(12, 20));
    EXPECT_TRUE(star.contains(17, 20));

    EXPECT_EQ(CreateEllipticRgn(0, 0, 25, 25).bounds(), (RECT {0, 0, 24, 24}));
    EXPECT_EQ(CreateRoundRectRgn(0, 0, 80, 25, 15, 15).bounds(), (RECT {0, 0, 79, 24}));
    EXPECT_EQ(Region().bounds(), RECT {});
    EXPECT_FALSE(Region().contains(0, 0));
}

TEST(Region, SameShapeBuiltTwoWaysIsEqual)
{
    EXPECT_EQ(CreateRoundRectRgn(3, 4, 40, 30, 0, 0), polygon({{3, 4}, {39, 4}, {39, 29}, {3, 29}}));
    EXPECT_EQ(CreateEllipticRgn(-7, 2, 31, 20), CreateRoundRectRgn(-7, 2, 31, 20, 38, 18));
    EXPECT_EQ(CreateEllipticRgn(-7, 2, 31, 20), CreateRoundRectRgn(31, 20, -7, 2, 500, -500));
    EXPECT_NE(CreateEllipticRgn(0, 0, 25, 25), CreateEllipticRgn(0, 0, 26, 26));
    EXPECT_NE(Region(), Region::failure());
}

// A box that moves by (dx, dy) gives the same pixels moved by (dx, dy): catches halving
// and rounding that go wrong below zero.
TEST(Region, ShapesMoveWithTheirBox)
{
    struct Shape {
        const char* name;
        std::function<Region(int, int)> at;
    };
    const std::vector<Shape> shapes {
        {"ellipse_odd", [](int x, int y) { return CreateEllipticRgn(x, y, x + 25, y + 25); }},
        {"ellipse_even", [](int x, int y) { return CreateEllipticRgn(x, y, x + 26, y + 17); }},
        {"roundrect", [](int x, int y) { return CreateRoundRectRgn(x, y, x + 30, y + 20, 9, 14); }},
        {"polygon", [](int x, int y) { return polygon({{x + 25, y + 12}, {x + 8, y}, {x, y + 17}, {x + 5, y + 25}}); }},
    };
    for (const auto& shape : shapes) {
        SCOPED_TRACE(shape.name);
        const Region origin = shape.at(0, 0);
        const Region moved = shape.at(-37, -41);
        for (int y = -1; y < 27; ++y)
            for (int x = -1; x < 31; ++x)
                ASSERT_EQ(origin.contains(x, y), moved.contains(x - 37, y - 41)) << x << "," << y;
    }
}

TEST(Region, AlternateLeavesOutWhatIsWoundTwice)
{
    // The star's centre pentagon and the twice-wound square have winding number 2.
    EXPECT_TRUE(polygon(kStar).contains(12, 12));
    EXPECT_FALSE(polygon(kStar, ALTERNATE).contains(12, 12));
    EXPECT_TRUE(polygon(kStar, ALTERNATE).contains(12, 3));
    EXPECT_TRUE(polygon(kSquareTwice).contains(5, 5));
    EXPECT_TRUE(polygon(kSquareTwice, ALTERNATE).is_empty());

    // A polygon that does not cross itself is the same either way.
    const std::vector<POINT> arrow {{25, 12}, {8, 0}, {8, 8}, {0, 8}, {0, 17}, {8, 17}, {8, 25}};
    EXPECT_EQ(polygon(arrow), polygon(arrow, ALTERNATE));
}

TEST(Region, QRegionHasTheSamePixels)
{
    const std::vector<Region> regions {CreateEllipticRgn(0, 0, 25, 25), CreateRoundRectRgn(-5, 2, 80, 25, 15, 15),
                                       polygon(kStar), polygon({{3, 3}, {9, 3}, {9, 9}, {3, 9}}), Region()};
    for (const Region& region : regions) {
        const QRegion q = to_qregion(region);
        const RECT box = region.bounds();
        EXPECT_EQ(q.boundingRect(), QRect(box.left, box.top, box.right - box.left, box.bottom - box.top));
        for (int y = -6; y < 27; ++y)
            for (int x = -6; x < 81; ++x)
                ASSERT_EQ(q.contains(QPoint(x, y)), region.contains(x, y)) << x << "," << y;
    }
    EXPECT_TRUE(to_qregion(Region::failure()).isEmpty());
}

TEST(Region, HugeInputIsClampedNotOverflowed)
{
    // Coordinates past the 16-bit range are clamped, so the shapes stay bounded.
    const Region ellipse = CreateEllipticRgn(-kHuge, -kHuge, kHuge, kHuge);
    EXPECT_EQ(ellipse.bounds(), (RECT {REGION_COORD_MIN, REGION_COORD_MIN, REGION_COORD_MAX, REGION_COORD_MAX}));
    EXPECT_TRUE(ellipse.contains(0, 0));
    EXPECT_FALSE(ellipse.contains(REGION_COORD_MIN, REGION_COORD_MIN));

    // Polygons keep their exact edges and are cut at the edge of the range.
    const Region square = polygon({{-kHuge, -kHuge}, {kHuge, -kHuge}, {kHuge, kHuge}, {-kHuge, kHuge}});
    EXPECT_EQ(square.bounds(), (RECT {REGION_COORD_MIN, REGION_COORD_MIN, REGION_COORD_MAX + 1, REGION_COORD_MAX + 1}));
    EXPECT_EQ(square.bands().size(), 1u);
    const Region slanted = polygon({{0, -kHuge}, {kHuge, kHuge}, {0, kHuge}});
    EXPECT_TRUE(slanted.contains(0, 0));
    EXPECT_TRUE(slanted.contains(REGION_COORD_MAX / 2, 0));  // the edge passes x = 2^29 at y = 0
    EXPECT_FALSE(slanted.contains(-1, 0));

    EXPECT_TRUE(CreateRoundRectRgn(0, 0, kHuge, 20, INT_MIN, INT_MIN).contains(REGION_COORD_MAX / 2, 10));
}

} // namespace
