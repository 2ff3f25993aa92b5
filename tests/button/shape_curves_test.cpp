#include "tests/button/button_fixture.h"

#include "platform/gdi/colour.h"
#include "tests/support/gdi_script.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

namespace button_test {

namespace {

enum class State { Idle, Hover, Pressed };

const COLORREF face = resolve_colour(COLOR_BTNFACE);
const COLORREF dark = resolve_colour(COLOR_3DDKSHADOW);
const COLORREF shadow = resolve_colour(COLOR_BTNSHADOW);
const COLORREF light = resolve_colour(COLOR_3DHIGHLIGHT);

std::vector<std::string> oracle_dumps(const std::string& name)
{
    return test_support::oracle_dumps((std::filesystem::path(VELMORA_FIXTURES_DIR) / (name + ".out")).string());
}

// An oracle dump as rows of hex colour words.
struct Dump {
    std::string header;
    std::vector<std::vector<std::string>> rows;

    explicit Dump(const std::string& dump)
    {
        std::istringstream in(dump);
        std::getline(in, header);
        for (std::string line; std::getline(in, line);) {
            std::istringstream words(line);
            rows.emplace_back(std::istream_iterator<std::string>(words), std::istream_iterator<std::string>());
        }
    }
    std::string text() const
    {
        std::string out = header + "\n";
        for (const auto& row : rows) {
            for (size_t x = 0; x < row.size(); ++x)
                out += (x ? " " : "") + row[x];
            out += "\n";
        }
        return out;
    }
};

// What the oracle leaves light grey the button's dotting turns black: the focus outline's
// pixels on a checkerboard, and for the diamond also those on every odd row. The focus
// outlines here lie well inside the bounds of both passes.
void dot_focus_outline(Dump& picture, bool odd_rows_too)
{
    for (size_t y = 0; y < picture.rows.size(); ++y)
        for (size_t x = 0; x < picture.rows[y].size(); ++x)
            if (picture.rows[y][x] == "d1d1d1" && ((x + y) % 2 == 0 || (odd_rows_too && y % 2 == 1)))
                picture.rows[y][x] = "000000";
}

// Style 6's default ramp takes the hot ramp's place, pen for pen.
void as_default_ramp(Dump& picture)
{
    static const std::pair<const char*, const char*> pens[] = {
        {"109adc", "d98d59"}, {"31b2f0", "e2a981"}, {"90d6f7", "f0d1b5"}, {"cef3ff", "f7d7bd"}, {"8cdbff", "ffe7ce"}};
    for (auto& row : picture.rows)
        for (auto& word : row)
            for (const auto& [hot, standard] : pens)
                if (word == hot)
                    word = standard;
}

// One button as the tables below give it.
struct Look {
    LONG shape;
    int w, h;
    LONG style;
    LONG fill;
    State state;
    bool focused;
};

class CurveTest : public ButtonTest {
protected:
    // `prepare` sets, once the style is in, what the style leaves to the caller.
    void show(const Look& look, void (*prepare)(ww&) = nullptr)
    {
        make(look.w, look.h);
        b.let_Caption("");
        b.let_ButtonStyleColors(look.fill);
        b.let_ButtonStyle(look.style);
        if (prepare)
            prepare(b);
        b.let_ButtonShape(look.shape);
        if (look.focused)
            focus();
        if (look.state == State::Hover)
            move_to(look.w / 2, look.h / 2);
        if (look.state == State::Pressed)
            mouse_down();
    }
};

// ---------------------------------------------------------------------------------------
// Whole pictures: the oracle drew each renderer's calls with the sizes' numbers worked out
// by hand (tests/gdi/fixtures/shape-*.gdi), over a plain face.

struct Golden {
    const char* fixture;
    size_t dump;
    Look look;
    bool default_ramp = false; // the fixture shows the hot ramp in its place
};

class CurveMatchesOracle : public CurveTest, public ::testing::WithParamInterface<Golden> {};

TEST_P(CurveMatchesOracle, PixelForPixel)
{
    const Golden& c = GetParam();
    const auto dumps = oracle_dumps(c.fixture);
    ASSERT_LT(c.dump, dumps.size()) << c.fixture;
    Dump want(dumps[c.dump]);
    if (c.default_ramp)
        as_default_ramp(want);
    dot_focus_outline(want, c.look.shape == button::ShapeDiamond);

    show(c.look);
    const std::string got = test_support::dump_surface(b.UserControl.surface());
    EXPECT_TRUE(want.text() == got) << test_support::describe_difference(want.text(), got);
}

using button::ShapeDiamond;
using button::ShapeEllipse;
using button::ShapeRoundedRectangle;
constexpr LONG solid = button::FillSolid, none = button::FillNone;

const Golden golden[] = {
    {"shape-roundrect-80x25", 0, {ShapeRoundedRectangle, 80, 25, 1, solid, State::Idle, true}},
    {"shape-roundrect-80x25", 1, {ShapeRoundedRectangle, 80, 25, 1, solid, State::Pressed, false}},
    {"shape-roundrect-80x25", 2, {ShapeRoundedRectangle, 80, 25, 6, none, State::Idle, true}},
    {"shape-roundrect-80x25", 3, {ShapeRoundedRectangle, 80, 25, 6, none, State::Hover, false}},
    {"shape-roundrect-80x25", 4, {ShapeRoundedRectangle, 80, 25, 7, none, State::Idle, false}},
    {"shape-ellipse-25", 0, {ShapeEllipse, 25, 25, 1, solid, State::Idle, true}},
    {"shape-ellipse-25", 1, {ShapeEllipse, 25, 25, 1, solid, State::Pressed, false}},
    {"shape-ellipse-25", 2, {ShapeEllipse, 25, 25, 6, none, State::Hover, false}},
    {"shape-ellipse-25", 2, {ShapeEllipse, 25, 25, 6, none, State::Idle, true}, true},
    {"shape-ellipse-25", 3, {ShapeEllipse, 25, 25, 7, none, State::Idle, true}},
    {"shape-ellipse-26", 0, {ShapeEllipse, 26, 26, 4, solid, State::Idle, true}},
    {"shape-ellipse-26", 1, {ShapeEllipse, 26, 26, 6, none, State::Pressed, true}},
    {"shape-diamond-25", 0, {ShapeDiamond, 25, 25, 1, solid, State::Idle, true}},
    {"shape-diamond-25", 1, {ShapeDiamond, 25, 25, 4, solid, State::Hover, true}},
    {"shape-diamond-25", 2, {ShapeDiamond, 25, 25, 6, none, State::Hover, false}},
    {"shape-diamond-25", 2, {ShapeDiamond, 25, 25, 6, none, State::Idle, true}, true},
    {"shape-diamond-25", 3, {ShapeDiamond, 25, 25, 6, none, State::Pressed, false}},
    {"shape-diamond-25", 4, {ShapeDiamond, 25, 25, 7, none, State::Pressed, true}},
    {"shape-diamond-100", 0, {ShapeDiamond, 100, 100, 1, solid, State::Idle, true}},
};

INSTANTIATE_TEST_SUITE_P(Shapes, CurveMatchesOracle, ::testing::ValuesIn(golden), [](const auto& info) {
    std::string name = std::string(info.param.fixture) + "_" + std::to_string(info.param.dump) +
                       (info.param.default_ramp ? "_default_ramp" : "");
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

// ---------------------------------------------------------------------------------------
// Branches that draw no style edges: the outline alone, in the border colour, and nothing
// else on the face; the diamond adds its apex pixel over a filled face.

// The outline of each shape at the size used here, as the pen draws it.
Surface outline_alone(LONG shape, bool apex)
{
    Surface surface(shape == ShapeRoundedRectangle ? 80 : 25, 25, 0);
    DeviceContext dc(surface);
    dc.pen = 1;
    if (shape == ShapeRoundedRectangle)
        RoundRect(&dc, 0, 0, 79, 24, 16, 16);
    if (shape == ShapeEllipse)
        RoundRect(&dc, 1, 1, 23, 23, 23, 23);
    if (shape == ShapeDiamond) {
        const POINT points[] = {{0, 12}, {12, 24}, {24, 12}, {12, 0}, {0, 12}};
        MoveToEx(&dc, 0, 12, nullptr);
        for (const POINT& p : points)
            LineTo(&dc, p.x, p.y);
        if (apex)
            SetPixel(&dc, 12, 1, 1);
    }
    return surface;
}

struct Plain {
    LONG shape;
    LONG style;
    State state;
    LONG fill;
    COLORREF border;
    void (*prepare)(ww&) = nullptr;
};

class CurveWithoutEdges : public CurveTest, public ::testing::WithParamInterface<Plain> {};

TEST_P(CurveWithoutEdges, ShowsTheOutlineOnly)
{
    const Plain& c = GetParam();
    show({c.shape, c.shape == ShapeRoundedRectangle ? 80 : 25, 25, c.style, c.fill, c.state, false}, c.prepare);
    const Surface outline = outline_alone(c.shape, c.fill != none);
    for (int y = 0; y < height(); ++y)
        for (int x = 0; x < width(); ++x)
            ASSERT_EQ(pixel(x, y), outline.pixel(x, y) ? c.border : face) << "at " << x << "," << y;
}

void disable(ww& b) { b.let_Enabled(false); }
void red_hover_face(ww& b) { b.let_BackColorHover(0x0000FF); }
void red_border(ww& b) { b.let_BorderColor(0x0000FF); }
void green_pressed_border(ww& b) { b.let_BorderColorPressed(0x00FF00); }

std::vector<Plain> plain_rows()
{
    std::vector<Plain> rows;
    for (LONG shape : {ShapeRoundedRectangle, ShapeEllipse, ShapeDiamond}) {
        rows.push_back({shape, 3, State::Idle, solid, face}); // MouseOver still empty: idle
        rows.push_back({shape, 4, State::Idle, solid, shadow, disable});
        rows.push_back({shape, 5, State::Hover, none, 0});
        rows.push_back({shape, 6, State::Idle, none, 0}); // without the focus: no ramp
        rows.push_back({shape, 8, State::Hover, none, 0x0000FF, red_hover_face});
        rows.push_back({shape, 0, State::Idle, solid, 0x0000FF, red_border});
        rows.push_back({shape, 9, State::Pressed, solid, 0x00FF00, green_pressed_border});
    }
    return rows;
}

std::string plain_name(const ::testing::TestParamInfo<Plain>& info)
{
    static const char* const shapes[] = {"", "rounded", "ellipse", "diamond"};
    return std::string(shapes[info.param.shape]) + "_style" + std::to_string(info.param.style);
}

INSTANTIATE_TEST_SUITE_P(Styles, CurveWithoutEdges, ::testing::ValuesIn(plain_rows()), plain_name);

} // namespace

// ---------------------------------------------------------------------------------------
// Styles 2 and 3 colour the lit side (top and left) over the outline; the shadow side keeps
// the state's border colour.

TEST_F(CurveTest, StylesTwoAndThreeColourTheLitSide)
{
    struct Side {
        LONG shape;
        int w, h;
        std::vector<std::pair<int, int>> lit, shaded;
    };
    const Side sides[] = {
        {ShapeRoundedRectangle, 80, 25, {{40, 0}, {0, 12}, {2, 20}, {4, 22}}, {{40, 23}, {78, 12}, {76, 20}, {75, 21}}},
        {ShapeEllipse, 25, 25, {{12, 1}, {1, 12}, {4, 4}, {19, 4}}, {{12, 22}, {22, 12}, {19, 19}}},
        // The bottom vertex is the lit side's undrawn end point.
        {ShapeDiamond, 25, 25, {{12, 0}, {6, 6}, {0, 12}, {6, 18}}, {{12, 24}, {18, 18}, {24, 12}, {18, 6}}},
    };
    struct Branch {
        LONG style;
        State state;
        COLORREF lit, shaded;
    };
    const Branch branches[] = {
        {2, State::Idle, light, dark},
        {2, State::Hover, light, dark},
        {2, State::Pressed, dark, light},
        {3, State::Hover, light, dark},
        {3, State::Pressed, dark, light},
    };
    for (const Side& side : sides) {
        for (const Branch& branch : branches) {
            show({side.shape, side.w, side.h, branch.style, solid, branch.state, false});
            for (auto [x, y] : side.lit)
                EXPECT_EQ(pixel(x, y), branch.lit) << "shape " << side.shape << " style " << branch.style << " at "
                                                   << x << "," << y;
            for (auto [x, y] : side.shaded)
                EXPECT_EQ(pixel(x, y), branch.shaded) << "shape " << side.shape << " style " << branch.style
                                                      << " at " << x << "," << y;
            mouse_up();
            move_to(-5, -5);
        }
    }
}

TEST_F(CurveTest, PenLeftForTheFocusDotting)
{
    struct Row {
        Look look;
        OLE_COLOR pen;
    };
    const Row rows[] = {
        {{ShapeRoundedRectangle, 80, 25, 1, solid, State::Idle, true}, 0xD1D1D1},
        {{ShapeEllipse, 25, 25, 5, solid, State::Pressed, true}, 0xD1D1D1},
        {{ShapeDiamond, 25, 25, 8, solid, State::Hover, true}, 0xD1D1D1},
        {{ShapeRoundedRectangle, 80, 25, 7, solid, State::Idle, false}, 0xFFFFFF},
        {{ShapeEllipse, 25, 25, 7, solid, State::Idle, true}, 0xFECC04},
        {{ShapeDiamond, 25, 25, 7, solid, State::Pressed, true}, 0xCFB073},
        {{ShapeRoundedRectangle, 80, 25, 6, solid, State::Hover, true}, 0x8CDBFF},
        {{ShapeDiamond, 25, 25, 6, solid, State::Idle, true}, 0xFFE7CE}, // the black apex sets no pen
        {{ShapeEllipse, 25, 25, 6, solid, State::Pressed, false}, COLOR_3DHIGHLIGHT},
        {{ShapeDiamond, 25, 25, 1, solid, State::Pressed, false}, COLOR_BTNSHADOW},
        {{ShapeEllipse, 25, 25, 4, solid, State::Idle, true}, COLOR_3DHIGHLIGHT},
        {{ShapeRoundedRectangle, 80, 25, 3, solid, State::Idle, false}, COLOR_BTNFACE}, // the border colour
    };
    for (const Row& row : rows) {
        show(row.look);
        EXPECT_EQ(b.UserControl.ForeColor(), row.pen)
            << "shape " << row.look.shape << " style " << row.look.style << " state " << int(row.look.state);
        mouse_up();
        move_to(-5, -5);
        b.UserControl.raise_LostFocus();
    }
}

TEST_F(CurveTest, WindowRegionIsTheShape)
{
    struct Row {
        LONG shape;
        int w, h;
        Region region;
        std::vector<std::pair<int, int>> inside, outside;
    };
    const POINT diamond25[] = {{25, 12}, {12, 0}, {0, 12}, {12, 25}};
    const POINT diamond100[] = {{100, 50}, {50, 0}, {0, 50}, {50, 100}};
    const Row rows[] = {
        {ShapeRoundedRectangle, 80, 25, CreateRoundRectRgn(0, 0, 80, 25, 15, 15),
         {{40, 0}, {0, 12}, {78, 12}, {40, 23}}, {{0, 0}, {79, 12}, {40, 24}, {78, 23}}},
        {ShapeEllipse, 25, 25, CreateEllipticRgn(0, 0, 25, 25), {{12, 0}, {0, 12}, {23, 12}, {12, 12}},
         {{1, 1}, {24, 12}, {12, 24}}},
        // The top row stays out; the right and bottom tips come in.
        {ShapeDiamond, 25, 25, CreatePolygonRgn(diamond25, 4, WINDING), {{12, 1}, {0, 12}, {24, 12}, {12, 24}},
         {{12, 0}, {3, 3}, {21, 21}}},
        {ShapeDiamond, 100, 100, CreatePolygonRgn(diamond100, 4, WINDING), {{50, 1}, {0, 50}, {99, 50}, {50, 99}},
         {{50, 0}, {20, 20}, {80, 80}}},
    };
    for (const Row& row : rows) {
        show({row.shape, row.w, row.h, 1, solid, State::Idle, false});
        const Region* region = window_region(b.UserControl.hWnd());
        ASSERT_NE(region, nullptr) << "shape " << row.shape;
        EXPECT_EQ(region, region_of(b.shape_region())) << "the window holds the renderer's handle";
        EXPECT_TRUE(*region == row.region) << "shape " << row.shape << " at " << row.w;
        for (auto [x, y] : row.inside)
            EXPECT_TRUE(region->contains(x, y)) << "shape " << row.shape << " at " << x << "," << y;
        for (auto [x, y] : row.outside)
            EXPECT_FALSE(region->contains(x, y)) << "shape " << row.shape << " at " << x << "," << y;
    }
}

TEST_F(CurveTest, EveryPaintHandsTheWindowANewRegion)
{
    show({ShapeEllipse, 25, 25, 1, solid, State::Idle, false});
    const HRGN first = b.shape_region();
    b.let_ButtonShape(ShapeDiamond);
    const HRGN second = b.shape_region();
    EXPECT_NE(second, first);
    EXPECT_EQ(region_of(first), nullptr) << "the window freed the region it replaced";
    EXPECT_EQ(window_region(b.UserControl.hWnd()), region_of(second));
    b.let_ButtonShape(ShapeRoundedRectangle);
    EXPECT_NE(b.shape_region(), second);
    EXPECT_EQ(region_of(second), nullptr);
}

// r(W / 2) rounds halves to the even neighbour: 27 and 29 both put the vertex in column 14.
TEST_F(CurveTest, DiamondTopVertexColumnRoundsHalfToEven)
{
    struct Row {
        int size, column;
    };
    for (const Row row : {Row {25, 12}, Row {26, 13}, Row {27, 14}, Row {29, 14}}) {
        show({ShapeDiamond, row.size, row.size, 0, none, State::Idle, false});
        const COLORREF border = resolve_colour(b.get_BorderColor());
        EXPECT_EQ(pixel(row.column, 0), border) << row.size;
        EXPECT_NE(pixel(row.column - 1, 0), border) << row.size;
        EXPECT_NE(pixel(row.column + 1, 0), border) << row.size;
        const Region* region = window_region(b.UserControl.hWnd());
        EXPECT_TRUE(region->contains(row.column, 1)) << row.size;
        EXPECT_FALSE(region->contains(row.column - 2, 1)) << row.size;
        EXPECT_FALSE(region->contains(row.column + 2, 1)) << row.size;
    }
}

// The diamond's own pass blackens the focus colour on every odd row of columns 2 to
// r(W - 2), whatever drew it; Paint's checkerboard then takes the both-even pixels.
TEST_F(CurveTest, DiamondDotsTheFocusColourOnOddRowsWhateverDrewIt)
{
    show({ShapeDiamond, 25, 25, 0, solid, State::Idle, true}, [](ww& b) { b.let_BackColor(0xD1D1D1); });
    struct Sample {
        int x, y;
        COLORREF want;
    };
    const Sample samples[] = {
        {2, 1, 0},        {4, 3, 0},        {23, 1, 0},       {23, 23, 0}, // odd rows, columns 2 to 23
        {1, 1, 0xD1D1D1}, {24, 1, 0xD1D1D1}, {0, 3, 0xD1D1D1},            // columns outside the pass
        {2, 2, 0},        {3, 4, 0xD1D1D1},  {24, 24, 0xD1D1D1},          // even rows: Paint's alone
    };
    for (const Sample& s : samples)
        EXPECT_EQ(pixel(s.x, s.y), s.want) << s.x << "," << s.y;
}

} // namespace button_test
