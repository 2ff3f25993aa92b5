#include "tests/button/button_fixture.h"

#include "platform/gdi/colour.h"

namespace button_test {

TEST_F(ButtonTest, RectangleOutlineAndFocusOutlineAtOneHundredByTwentyFive)
{
    make(100, 25);
    b.let_Caption("");
    b.let_ButtonStyle(0); // no look: the border colour stays as set, no edges
    b.let_BorderColor(0x0000FF);
    for (auto [x, y] : {std::pair {0, 0}, {0, 24}, {99, 24}, {99, 0}, {50, 0}, {0, 12}})
        EXPECT_EQ(pixel(x, y), 0x0000FFu) << x << "," << y;
    EXPECT_NE(pixel(1, 1), 0x0000FFu);

    focus();
    for (auto [x, y] : {std::pair {4, 4}, {4, 20}, {94, 20}, {95, 4}})
        EXPECT_TRUE(pixel(x, y) == 0xD1D1D1u || pixel(x, y) == 0u) << x << "," << y;
    EXPECT_NE(pixel(3, 4), 0xD1D1D1u);
    EXPECT_NE(pixel(96, 4), 0xD1D1D1u);
}

TEST_F(ButtonTest, RectangleStyleEdgesByState)
{
    struct Row {
        LONG style;
        int state; // 0 idle, 1 hover, 2 pressed
        std::vector<std::tuple<int, int, OLE_COLOR>> samples;
    };
    const COLORREF dark = resolve_colour(COLOR_3DDKSHADOW), shadow = resolve_colour(COLOR_BTNSHADOW),
                   light = resolve_colour(COLOR_3DHIGHLIGHT);
    const Row rows[] = {
        {1, 0, {{0, 0, light}, {0, 23, light}, {98, 10, shadow}, {50, 23, shadow}, {99, 10, dark}}},
        {1, 2, {{0, 0, dark}, {1, 1, shadow}, {1, 20, shadow}, {99, 10, light}}},
        {2, 0, {{0, 0, light}, {99, 24, dark}}},
        {3, 1, {{0, 0, light}, {0, 10, light}}},
        {4, 0, {{1, 1, light}, {97, 1, light}, {98, 10, shadow}, {50, 23, shadow}, {0, 0, shadow}}},
        {6, 1, {{50, 23, 0x109ADC}, {1, 10, 0x31B2F0}, {2, 10, 0x90D6F7}, {50, 1, 0xCEF3FF}, {50, 2, 0x8CDBFF}}},
        {6, 2, {{2, 22, light}, {97, 10, light}}},
        {7, 0, {{1, 1, 0xFFFFFF}, {98, 23, 0xFFFFFF}, {0, 0, 0x8F8F8E}}},
        {7, 2, {{1, 1, 0xCFB073}, {0, 0, 0x5C411D}}},
    };
    for (const auto& row : rows) {
        make(100, 25);
        b.let_Caption("");
        b.let_ButtonStyle(row.style);
        if (row.state == 1)
            move_to(50, 12);
        if (row.state == 2)
            mouse_down();
        for (const auto& [x, y, want] : row.samples)
            EXPECT_EQ(pixel(x, y), want) << "style " << row.style << " state " << row.state << " at " << x << "," << y;
        mouse_up();
        move_to(-5, -5);
    }
}

TEST_F(ButtonTest, StyleSixAndSevenShowTheFocusThroughTheirEdges)
{
    make(100, 25);
    b.let_Caption("");
    b.let_ButtonStyle(6);
    focus();
    EXPECT_EQ(pixel(50, 23), 0xD98D59u);
    EXPECT_EQ(pixel(50, 2), 0xFFE7CEu);
    b.let_ButtonStyle(7);
    EXPECT_EQ(pixel(1, 1), 0xFECC04u);
    EXPECT_EQ(b.UserControl.ForeColor(), 0xFECC04u);
}

TEST_F(ButtonTest, DisabledStyleFourHasNoEdges)
{
    make(100, 25);
    b.let_Caption("");
    b.let_ButtonStyle(4);
    b.let_Enabled(false);
    EXPECT_NE(pixel(1, 1), resolve_colour(COLOR_3DHIGHLIGHT));
}

TEST_F(ButtonTest, RectangleTakesAnyWindowRegionAway)
{
    make(100, 25);
    const HRGN region = register_region(CreateEllipticRgn(0, 0, 100, 25));
    SetWindowRgn(b.UserControl.hWnd(), region, TRUE);
    ASSERT_NE(window_region(b.UserControl.hWnd()), nullptr);
    b.let_ButtonShape(button::ShapeRectangle);
    EXPECT_EQ(window_region(b.UserControl.hWnd()), nullptr);
    EXPECT_EQ(region_of(region), nullptr); // freed with the window's old region
    b.let_ButtonShape(12); // no renderer: the window keeps what it has
    EXPECT_EQ(window_region(b.UserControl.hWnd()), nullptr);
}

} // namespace button_test
