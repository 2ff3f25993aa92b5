#include "tests/button/button_fixture.h"

#include "platform/gdi/colour.h"
#include "tests/button/shape_fixture.h"
#include "tests/support/gdi_script.h"

#include <vector>

namespace button_test {

namespace {

using namespace button;

enum class State { Idle, Hover, Pressed, Disabled };

const COLORREF dark = resolve_colour(COLOR_3DDKSHADOW);
const COLORREF shadow = resolve_colour(COLOR_BTNSHADOW);
const COLORREF light = resolve_colour(COLOR_3DHIGHLIGHT);
const COLORREF face = resolve_colour(COLOR_BTNFACE);
constexpr COLORREF red = 0x0000FF, focus_grey = 0xD1D1D1;

const char* shape_name(LONG shape)
{
    static const char* names[] = {"triangle up", "triangle left", "triangle right", "triangle down",
                                  "arrow up",    "arrow left",    "arrow right",    "arrow down"};
    return names[shape - ShapeTriangleUp];
}

class PolygonShapeTest : public ButtonTest {
protected:
    // A size x size button of `shape` on the plain face colour (no fill, no caption), its
    // idle border red where the style keeps the border colours (0 and 9).
    void show(LONG shape, int size, LONG style, State state, bool focused)
    {
        // The same instance serves every case: no button, pointer or focus left over.
        mouse_up();
        move_to(-100, -100);
        b.UserControl.raise_LostFocus();
        make(size, size);
        b.let_Caption("");
        b.let_ButtonStyleColors(FillNone);
        b.let_ButtonShape(shape);
        b.let_ButtonStyle(style);
        b.let_BorderColor(red);
        if (focused)
            focus();
        if (state == State::Hover)
            move_to(size / 2, size / 2);
        if (state == State::Pressed)
            mouse_down();
        if (state == State::Disabled)
            b.let_Enabled(false);
    }

    int count(COLORREF colour) const
    {
        int n = 0;
        for (int y = 0; y < height(); ++y)
            for (int x = 0; x < width(); ++x)
                n += pixel(x, y) == colour;
        return n;
    }
};

TEST_F(PolygonShapeTest, PicturesMatchWindowsPixelForPixel)
{
    struct Row {
        const char* fixture;
        size_t dump;
        LONG shape;
        int size;
        LONG style;
        State state;
        bool focused;
    };
    std::vector<Row> rows = {
        {"shape-arrow-up-80", 0, ShapeArrowUp, 80, 6, State::Pressed, false},
        {"shape-arrow-down-30", 0, ShapeArrowDown, 30, 1, State::Idle, true},
    };
    // Each family's fixtures hold its four shapes in order: one picture of the outline
    // and focus outline, and six of style edges.
    struct Look {
        LONG style;
        State state;
    };
    const Look looks[] = {{1, State::Pressed}, {1, State::Idle}, {4, State::Idle},
                          {6, State::Hover},   {6, State::Pressed}, {7, State::Idle}};
    for (LONG first : {ShapeTriangleUp, ShapeArrowUp}) {
        const bool triangles = first == ShapeTriangleUp;
        for (LONG i = 0; i < 4; ++i) {
            rows.push_back({triangles ? "shape-triangle-25" : "shape-arrow-25", size_t(i), first + i, 25, 0,
                            State::Idle, true});
            for (size_t k = 0; k < std::size(looks); ++k)
                rows.push_back({triangles ? "shape-triangle-styles-25" : "shape-arrow-styles-25",
                                size_t(i) * std::size(looks) + k, first + i, 25, looks[k].style, looks[k].state,
                                false});
        }
    }
    for (const auto& row : rows) {
        const auto dumps = fixture_blocks(row.fixture);
        ASSERT_LT(row.dump, dumps.size()) << row.fixture;
        show(row.shape, row.size, row.style, row.state, row.focused);
        const std::string want = dotted(dumps[row.dump]);
        const std::string got = test_support::dump_surface(b.UserControl.surface());
        EXPECT_TRUE(want == got) << row.fixture << " #" << row.dump << " (" << shape_name(row.shape) << ", style "
                                 << row.style << ")\n"
                                 << test_support::describe_difference(want, got);
    }
}

TEST_F(PolygonShapeTest, WindowRegionIsThePolygonOfTheShape)
{
    struct Row {
        LONG shape;
        int size;
        std::vector<POINT> vertices;
        std::vector<POINT> inside, outside;
    };
    const Row rows[] = {
        {ShapeTriangleUp, 25, {{0, 25}, {12, 0}, {25, 25}}, {{12, 1}, {24, 24}}, {{12, 0}, {0, 24}}},
        {ShapeTriangleLeft, 25, {{0, 12}, {25, 0}, {25, 25}}, {{0, 12}, {24, 1}}, {{24, 0}, {0, 11}}},
        // The tip pixel (24, 12) is in the region, though the outline leaves it undrawn.
        {ShapeTriangleRight, 25, {{25, 12}, {0, 0}, {0, 25}}, {{0, 1}, {24, 12}}, {{0, 0}, {24, 11}}},
        // Row 0 is left out: the region's top edge is the outline's.
        {ShapeTriangleDown, 25, {{0, 1}, {12, 25}, {25, 1}}, {{1, 1}, {12, 24}}, {{12, 0}, {0, 2}}},
        {ShapeArrowUp, 25, {{12, 0}, {0, 17}, {8, 17}, {8, 25}, {17, 25}, {17, 17}, {25, 17}},
         {{12, 1}, {8, 24}, {16, 24}}, {{12, 0}, {7, 24}, {17, 24}}},
        {ShapeArrowUp, 80, {{40, 0}, {0, 53}, {27, 53}, {27, 80}, {53, 80}, {53, 53}, {80, 53}}, {{40, 1}}, {}},
        {ShapeArrowUp, 81, {{40, 0}, {0, 54}, {27, 54}, {27, 81}, {54, 81}, {54, 54}, {81, 54}}, {{40, 1}}, {}},
        {ShapeArrowLeft, 25, {{0, 12}, {17, 0}, {17, 8}, {25, 8}, {25, 17}, {17, 17}, {17, 25}},
         {{0, 12}, {24, 8}, {24, 16}}, {{24, 7}, {24, 17}}},
        {ShapeArrowLeft, 90, {{0, 45}, {60, 0}, {60, 30}, {90, 30}, {90, 60}, {60, 60}, {60, 90}}, {{89, 30}}, {}},
        {ShapeArrowRight, 25, {{25, 12}, {8, 0}, {8, 8}, {0, 8}, {0, 17}, {8, 17}, {8, 25}},
         {{0, 8}, {0, 16}, {23, 12}}, {{0, 7}, {0, 17}}},
        {ShapeArrowRight, 40, {{40, 20}, {13, 0}, {13, 13}, {0, 13}, {0, 27}, {13, 27}, {13, 40}}, {{0, 13}}, {}},
        {ShapeArrowDown, 25, {{12, 25}, {0, 8}, {8, 8}, {8, 0}, {17, 0}, {17, 8}, {25, 8}},
         {{8, 0}, {16, 0}, {12, 23}}, {{7, 0}, {17, 0}}},
        {ShapeArrowDown, 30, {{15, 30}, {0, 10}, {10, 10}, {10, 0}, {20, 0}, {20, 10}, {30, 10}}, {{10, 0}}, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(shape_name(row.shape)) + " at " + std::to_string(row.size));
        show(row.shape, row.size, 1, State::Idle, false);
        const Region* region = window_region(b.UserControl.hWnd());
        ASSERT_NE(region, nullptr);
        EXPECT_EQ(region, region_of(b.shape_region())); // the window holds the handle kept
        EXPECT_TRUE(*region == CreatePolygonRgn(row.vertices.data(), int(row.vertices.size()), WINDING));
        for (auto p : row.inside)
            EXPECT_TRUE(region->contains(p.x, p.y)) << p.x << "," << p.y;
        for (auto p : row.outside)
            EXPECT_FALSE(region->contains(p.x, p.y)) << p.x << "," << p.y;
    }
}

TEST_F(PolygonShapeTest, EveryPaintHandsTheWindowAFreshRegionForItsSize)
{
    show(ShapeTriangleUp, 25, 1, State::Idle, false);
    const HRGN first = b.shape_region();
    resize(40, 40);
    EXPECT_NE(b.shape_region(), first);
    EXPECT_EQ(region_of(first), nullptr); // the window freed the one it replaced
    const POINT at40[] = {{0, 40}, {20, 0}, {40, 40}};
    EXPECT_TRUE(*window_region(b.UserControl.hWnd()) == CreatePolygonRgn(at40, 3, WINDING));
}

// Which edges each style draws in each state, the same for all eight shapes, and the
// pen the renderer leaves for the focus dotting.
TEST_F(PolygonShapeTest, StyleEdgesFollowTheStateOnEveryShape)
{
    constexpr COLORREF none = CLR_INVALID;
    struct Row {
        LONG style;
        State state;
        bool focused;
        std::vector<COLORREF> present, absent;
        COLORREF pen_left; // none: depends on the shape
    };
    const std::vector<COLORREF> hot = {0x109ADC, 0x31B2F0, 0x90D6F7, 0xCEF3FF, 0x8CDBFF};
    const std::vector<COLORREF> standard = {0xD98D59, 0xE2A981, 0xF0D1B5, 0xF7D7BD, 0xFFE7CE};
    auto with = [](std::vector<COLORREF> a, std::vector<COLORREF> b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const Row rows[] = {
        {1, State::Pressed, false, {dark, shadow}, {}, COLOR_BTNSHADOW},
        {1, State::Idle, false, {dark, shadow, light}, {}, none},
        {1, State::Hover, false, {dark, shadow, light}, {}, none},
        {2, State::Pressed, false, {dark, light}, {shadow}, COLOR_3DDKSHADOW},
        {2, State::Hover, false, {dark, light}, {shadow}, COLOR_3DHIGHLIGHT},
        {3, State::Idle, true, {focus_grey}, {dark, shadow, light}, focus_grey}, // idle border = face
        {3, State::Hover, false, {dark, light}, {shadow}, COLOR_3DHIGHLIGHT},
        {3, State::Pressed, false, {dark, light}, {shadow}, COLOR_3DDKSHADOW},
        {4, State::Pressed, true, {shadow, light}, {focus_grey, 0}, COLOR_3DHIGHLIGHT},
        {4, State::Disabled, true, {shadow}, {light, focus_grey, 0}, COLOR_BTNSHADOW},
        {5, State::Idle, true, {focus_grey, 0}, {}, focus_grey},
        {6, State::Pressed, true, {light}, with(with(hot, standard), {focus_grey}), COLOR_3DHIGHLIGHT},
        {6, State::Hover, true, hot, with(standard, {focus_grey}), 0x8CDBFF},
        {6, State::Idle, true, standard, with(hot, {focus_grey}), 0xFFE7CE},
        {6, State::Idle, false, {0}, with(hot, standard), 0},
        {7, State::Idle, false, {0xFFFFFF}, {0xFECC04}, 0xFFFFFF},
        {7, State::Hover, true, {0xFECC04}, {0xFFFFFF, focus_grey}, 0xFECC04},
        {7, State::Pressed, true, {0xCFB073}, {0xFECC04, focus_grey}, 0xCFB073},
        {8, State::Pressed, true, {focus_grey, 0}, {}, focus_grey},
        {9, State::Idle, true, {red, focus_grey, 0}, {}, focus_grey},
    };
    for (LONG shape = ShapeTriangleUp; shape <= ShapeArrowDown; ++shape) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(shape_name(shape)) + ", style " + std::to_string(row.style) + ", state " +
                         std::to_string(int(row.state)) + (row.focused ? ", focused" : ""));
            show(shape, 40, row.style, row.state, row.focused);
            for (COLORREF c : row.present) {
                // The down arrow's second ramp line covers the whole of its first.
                if (shape == ShapeArrowDown && (c == hot[0] || c == standard[0]))
                    continue;
                EXPECT_GT(count(c), 0) << std::hex << c << " missing";
            }
            for (COLORREF c : row.absent)
                EXPECT_EQ(count(c), 0) << std::hex << c << " drawn";
            if (row.pen_left != none) {
                EXPECT_EQ(b.UserControl.ForeColor(), row.pen_left);
            }
        }
    }
}

// The rounding ties and one-pixel offsets the pictures at 25 do not show.
TEST_F(PolygonShapeTest, TiesRoundToEvenAndInnerTipsSitOffTheMiddle)
{
    struct Row {
        LONG shape;
        int size;
        LONG style;
        POINT at;
        COLORREF colour;
    };
    const Row rows[] = {
        // The apex on r(13.5) = 14 and r(14.5) = 14.
        {ShapeTriangleUp, 27, 0, {14, 1}, red},
        {ShapeTriangleUp, 29, 0, {14, 1}, red},
        {ShapeTriangleLeft, 27, 0, {1, 14}, red},
        {ShapeTriangleDown, 29, 0, {14, 28}, red},
        // The right triangle's tip pixel is never drawn; the one left of it is.
        {ShapeTriangleRight, 27, 0, {26, 14}, face},
        {ShapeTriangleRight, 27, 0, {25, 14}, red},
        // The up arrow's foot is level for odd H, on row H - 1.
        {ShapeArrowUp, 81, 0, {27, 80}, red},
        {ShapeArrowUp, 81, 0, {53, 80}, red},
        // Inner outlines (style 7) end their slants on the row or column r(M - 1).
        {ShapeArrowRight, 40, 7, {38, 19}, 0xFFFFFF},
        {ShapeArrowRight, 33, 7, {31, 16}, 0xFFFFFF},
        {ShapeArrowRight, 35, 7, {33, 16}, 0xFFFFFF},
        {ShapeArrowDown, 30, 7, {14, 28}, 0xFFFFFF},
        {ShapeArrowDown, 27, 7, {12, 25}, 0xFFFFFF},
    };
    for (const auto& row : rows) {
        show(row.shape, row.size, row.style, State::Idle, false);
        EXPECT_EQ(pixel(row.at.x, row.at.y), row.colour)
            << shape_name(row.shape) << " at " << row.size << ", style " << row.style << ": " << row.at.x << ","
            << row.at.y;
    }
}

} // namespace

} // namespace button_test
