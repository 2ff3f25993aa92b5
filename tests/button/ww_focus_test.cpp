#include "tests/button/button_fixture.h"

namespace button_test {

TEST_F(ButtonTest, FocusOutlineIsDottedOnACheckerboard)
{
    make(100, 25);
    b.let_Caption("");
    focus();
    // The outline (4, 4) - (95, 20): both coordinates odd or both even turn black.
    struct Sample {
        int x, y;
        COLORREF want;
    };
    const Sample samples[] = {
        {4, 4, 0x000000}, {5, 4, 0xD1D1D1}, {6, 4, 0x000000}, {4, 5, 0xD1D1D1}, {4, 6, 0x000000},
        {95, 5, 0x000000}, {95, 6, 0xD1D1D1}, {5, 20, 0xD1D1D1}, {6, 20, 0x000000}, {95, 20, 0xD1D1D1},
    };
    for (const auto& s : samples)
        EXPECT_EQ(pixel(s.x, s.y), s.want) << s.x << "," << s.y;
    EXPECT_EQ(b.UserControl.ForeColor(), 0xD1D1D1u);
}

TEST_F(ButtonTest, StylesFourSixAndSevenNeverDot)
{
    for (LONG style : {4, 6, 7}) {
        make(100, 25);
        b.let_Caption("");
        b.let_ButtonStyle(style);
        focus();
        for (int x = 0; x < 100; ++x)
            ASSERT_NE(pixel(x, 4), 0xD1D1D1u) << "style " << style;
        EXPECT_NE(pixel(4, 4), 0u) << "style " << style;
        b.UserControl.raise_LostFocus();
    }
}

TEST_F(ButtonTest, WithoutARendererTheDottingBlackensTheBorderColour)
{
    make(40, 40);
    b.let_ButtonStyle(0);
    b.let_Caption("");
    b.let_BorderColor(0xC8D0D4); // the face colour: every face pixel on the grid
    b.let_ButtonShape(12);
    focus();
    EXPECT_EQ(pixel(3, 3), 0u);
    EXPECT_EQ(pixel(2, 2), 0u);
    EXPECT_EQ(pixel(3, 2), 0xC8D0D4u);
    EXPECT_EQ(pixel(37, 37), 0u);
    EXPECT_EQ(pixel(39, 39), 0xC8D0D4u); // past r(W - 2)
}

TEST_F(ButtonTest, StyleFourShowsTheFocusAroundTheCaption)
{
    make(100, 25);
    b.let_ButtonStyle(4);
    b.let_Caption("Узнать");
    focus();
    const button::Box box = b.caption_rect();
    // The outline between (X - 3, Y - 2) and (X + CapW + 2, Y + CapH + 2).
    EXPECT_EQ(pixel(box.x - 3, box.y - 2), 0xCC9999u);
    EXPECT_EQ(pixel(box.x - 3, box.y + 5), 0xCC9999u);
    EXPECT_EQ(pixel(box.x + 5, box.y - 2), 0xCC9999u);
    EXPECT_NE(pixel(box.x - 2, box.y + 5), 0xCC9999u); // inside keeps the caption's face
    EXPECT_EQ(b.UserControl.ForeColor(), 0xCC9999u);

    b.let_Caption("");
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_NE(pixel(x, y), 0xCC9999u) << "an empty caption shows no focus mark";
}

TEST_F(ButtonTest, DropDownArrowOrigin)
{
    struct Row {
        LONG drop_down;
        int ax, ay;
    };
    // 25 high: r(12.5 - 8) = 4, the half going to the even neighbour.
    const Row rows[] = {{button::DropDownLeft, 2, 4}, {button::DropDownRight, 59, 4}, {3, 0, 0}};
    for (const auto& row : rows) {
        make(80, 25);
        b.let_Caption("");
        b.let_ButtonStyle(5);
        b.let_DropDown(row.drop_down);
        const int ax = row.ax, ay = row.ay;
        EXPECT_EQ(pixel(ax + 6, ay + 5), 0u) << row.drop_down;   // first chevron's start
        EXPECT_EQ(pixel(ax + 9, ay + 8), 0u) << row.drop_down;   // its tip
        EXPECT_EQ(pixel(ax + 9, ay + 12), 0u) << row.drop_down;  // the second chevron's tip
        EXPECT_NE(pixel(ax + 13, ay + 4), 0u) << row.drop_down;  // end point: not drawn
        EXPECT_EQ(b.UserControl.ForeColor(), 0u);
    }
}

} // namespace button_test
