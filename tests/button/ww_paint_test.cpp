#include "tests/button/button_fixture.h"

#include "platform/gdi/colour.h"
#include "tests/support/gdi_script.h"

#include <sstream>
#include <string>
#include <vector>

namespace button_test {

TEST_F(ButtonTest, SizeRulesKeepTheMinimumAndMakeShapesSquare)
{
    struct Row {
        LONG shape;
        float width, height;     // twips asked for
        float want_w, want_h;    // twips after the paint
    };
    const Row rows[] = {
        {button::ShapeRectangle, 300, 300, 375, 375},
        {button::ShapeEllipse, 1500, 600, 1500, 1500},
        {button::ShapeEllipse, 600, 1500, 600, 600},
        {button::ShapeRoundedRectangle, 600, 1500, 600, 1500},
        {12, 1500, 600, 1500, 1500},
    };
    b.UserControl_InitProperties();
    for (const auto& row : rows) {
        b.let_ButtonShape(row.shape);
        b.UserControl.set_Width(row.width);
        b.UserControl.set_Height(row.height);
        b.UserControl_Paint();
        EXPECT_EQ(b.UserControl.Width(), row.want_w) << "shape " << row.shape;
        EXPECT_EQ(b.UserControl.Height(), row.want_h) << "shape " << row.shape;
    }
}

// A bare face: no style look, so inside the outline only the fill shows.
class FillTest : public ButtonTest {
protected:
    FillTest()
    {
        make(100, 25);
        b.let_Caption("");
        b.let_ButtonStyle(0);
        b.let_BackColor(0x000000);
        b.let_BackColorPressed(0xFFFFFF);
        b.let_BackColorHover(0x0000FF);
    }
};

TEST_F(FillTest, EachFillModeShadesFromItsVertices)
{
    struct Sample {
        int x, y;
        COLORREF want;
    };
    struct Row {
        LONG fill;
        std::vector<Sample> samples;
    };
    // Idle: c0 is the back colour (black), c1 the pressed colour (white); 100 x 25,
    // sampled inside the outline.
    const Row rows[] = {
        {button::FillSolid, {{1, 1, 0x000000}, {98, 23, 0x000000}}},
        {button::FillHorizontal, {{1, 5, 0x020202}, {50, 5, 0x7F7F7F}, {98, 5, 0xF9F9F9}}},
        {button::FillVertical, {{5, 1, 0xF4F4F4}, {5, 23, 0x141414}}},
        {button::FillVerticalCenter, {{5, 1, 0x151515}, {5, 11, 0xE9E9E9}, {5, 12, 0xFFFFFF}, {5, 23, 0x272727}}},
        {button::FillVerticalEdges, {{5, 1, 0xE9E9E9}, {5, 12, 0x000000}, {5, 23, 0xD7D7D7}}},
        {button::FillHorizontalCenter, {{1, 5, 0x050505}, {49, 5, 0xF9F9F9}, {50, 5, 0xFFFFFF}, {98, 5, 0x0A0A0A}}},
        {button::FillHorizontalEdges, {{1, 5, 0xF9F9F9}, {50, 5, 0x000000}, {98, 5, 0xF4F4F4}}},
    };
    for (const auto& row : rows) {
        b.let_ButtonStyleColors(row.fill);
        EXPECT_EQ(b.UserControl.BackStyle(), 1);
        for (const auto& s : row.samples)
            EXPECT_EQ(pixel(s.x, s.y), s.want) << "fill " << row.fill << " at " << s.x << "," << s.y;
    }
}

TEST_F(FillTest, SolidFillTakesTheStatesFaceColour)
{
    b.let_ButtonStyleColors(button::FillSolid);
    move_to(10, 10);
    EXPECT_EQ(pixel(50, 12), 0x0000FFu);
    mouse_down();
    EXPECT_EQ(pixel(50, 12), 0xFFFFFFu);
    EXPECT_EQ(b.UserControl.BackColor(), 0xFFFFFFu);
}

TEST_F(FillTest, NoFillIsTransparentAndAnUnknownOneLeavesTheBackStyle)
{
    b.let_ButtonStyleColors(button::FillSolid);
    b.let_ButtonStyleColors(button::FillNone);
    EXPECT_EQ(b.UserControl.BackStyle(), 0);
    EXPECT_EQ(pixel(50, 12), 0x000000u); // cleared to the host's colour, nothing drawn
    b.let_ButtonStyleColors(8);
    EXPECT_EQ(b.UserControl.BackStyle(), 0);
    b.let_ButtonStyleColors(button::FillSolid);
    b.let_ButtonStyleColors(8);
    EXPECT_EQ(b.UserControl.BackStyle(), 1);
}

TEST_F(FillTest, VertexChannelsHoldTheByteInTheirHighEightBits)
{
    b.let_BackColor(0x0080FF);
    b.let_ButtonStyleColors(button::FillHorizontal);
    const auto& v = button::wwTestAccess::vertices(b);
    EXPECT_EQ(v[0].Red, 0xFF00);
    EXPECT_EQ(v[0].Green, 0x8000);
    EXPECT_EQ(v[0].Blue, 0x0000);
    EXPECT_EQ(v[1].Red, 0xFF00);
    // The default face colour is translated before it is split.
    b.let_BackColor(COLOR_BTNFACE);
    EXPECT_EQ(v[0].Red, 212 << 8);
    EXPECT_EQ(v[0].Blue, 200 << 8);
}

TEST_F(ButtonTest, StylesLeaveTheirBorderColours)
{
    struct Row {
        LONG style;
        OLE_COLOR idle, hover, pressed;
    };
    const Row rows[] = {
        {1, COLOR_3DDKSHADOW, COLOR_3DDKSHADOW, COLOR_3DHIGHLIGHT},
        {2, COLOR_3DDKSHADOW, COLOR_3DDKSHADOW, COLOR_3DHIGHLIGHT},
        {3, 0x111111, COLOR_3DDKSHADOW, COLOR_3DHIGHLIGHT},
        {4, COLOR_BTNSHADOW, COLOR_BTNSHADOW, COLOR_BTNSHADOW},
        {5, COLOR_BTNFACE, 0, 0},
        {6, 0, 0, 0},
        {7, 0x8F8F8E, 0xB17F3C, 0x5C411D},
        {8, 0x111111, 0x222222, 0x333333},
        {0, 0xAAAAAA, 0xBBBBBB, 0xCCCCCC}, // left as they were
        {9, 0xAAAAAA, 0xBBBBBB, 0xCCCCCC},
    };
    make(80, 25);
    for (const auto& row : rows) {
        b.let_ButtonStyle(row.style);
        b.let_BackColor(0x111111);
        b.let_BackColorHover(0x222222);
        b.let_BackColorPressed(0x333333);
        b.let_BorderColorHover(0xBBBBBB);
        b.let_BorderColorPressed(0xCCCCCC);
        b.let_BorderColor(0xAAAAAA);
        EXPECT_EQ(b.get_BorderColor(), row.idle) << "style " << row.style;
        EXPECT_EQ(b.get_BorderColorHover(), row.hover) << "style " << row.style;
        EXPECT_EQ(b.get_BorderColorPressed(), row.pressed) << "style " << row.style;
    }
}

TEST_F(ButtonTest, DisabledStylesTakeTheirBorderOnlyWithAFill)
{
    struct Row {
        LONG style, fill;
        OLE_COLOR want;
    };
    const Row rows[] = {
        {6, 1, 0x8DABAB}, {7, 1, 0xB5B2AD}, {8, 1, 0xA4B6B7}, {7, 0, 0x8F8F8E}, {8, 0, 0xD8D8D8},
    };
    make(80, 25);
    b.let_Enabled(false);
    for (const auto& row : rows) {
        b.let_ButtonStyle(row.style);
        b.let_BackColor(0xD8D8D8);
        b.let_ButtonStyleColors(row.fill);
        EXPECT_EQ(b.get_BorderColor(), row.want) << "style " << row.style << " fill " << row.fill;
    }
    // Enabled again, the next paint rewrites it from the style.
    b.let_Enabled(true);
    EXPECT_EQ(b.get_BorderColor(), 0xD8D8D8u);
}

TEST_F(ButtonTest, StyleSevenGradientRunsPastTheBottomEdge)
{
    make(100, 25);
    b.let_Caption("");
    b.let_ButtonStyle(7);
    // c1 0xEFEFEF at the top towards c0 0xD8D8D8 at row 17; then from c0 at row 12
    // towards c1 at row 50, beyond the bottom edge.
    EXPECT_EQ(pixel(50, 2), 0xECECECu);
    EXPECT_EQ(pixel(50, 12), 0xD8D8D8u);
    EXPECT_EQ(pixel(50, 22), 0xDEDEDEu);
    // Without a fill there is no style gradient either.
    b.let_ButtonStyleColors(button::FillNone);
    EXPECT_EQ(pixel(50, 12), resolve_colour(b.UserControl.BackColor()));
}

TEST_F(ButtonTest, StyleEightShadesAcrossForShapesPointingUpOrDown)
{
    make(60, 60);
    b.let_Caption("");
    b.let_ButtonStyle(8);
    b.let_BackColor(0x000000);
    b.let_ButtonShape(12);
    const COLORREF down_top = pixel(30, 1), down_bottom = pixel(30, 58);
    EXPECT_NE(down_top, down_bottom);
    EXPECT_EQ(pixel(1, 30), pixel(58, 30)); // shades downwards: a row is one colour
    b.let_ButtonShape(button::ShapeTriangleUp);
    EXPECT_EQ(pixel(30, 1), pixel(30, 58)); // shades across: a column is one colour
}

// One picture of an oracle answer: "dump W H", then H rows of W hex colours.
class Dump {
public:
    explicit Dump(const std::string& text)
    {
        std::istringstream in(text);
        std::string tag;
        in >> tag >> m_width >> m_height;
        for (std::string word; in >> word;)
            m_pixels.push_back(COLORREF(std::stoul(word, nullptr, 16)));
    }
    COLORREF at(int x, int y) const
    {
        const size_t i = size_t(y) * size_t(m_width) + size_t(x);
        return i < m_pixels.size() ? m_pixels[i] : CLR_INVALID;
    }

private:
    int m_width = 0, m_height = 0;
    std::vector<COLORREF> m_pixels;
};

// Every pixel that no line of the shape covers shows the style's gradient as Windows draws
// it (tests/gdi/fixtures/gradient-styles-27: one picture per style, state and
// direction); shapes pointing up or down shade across, every other value downwards.
TEST_F(ButtonTest, StyleGradientsMatchWindowsPixelForPixel)
{
    enum State { Idle, Hover, Pressed, Disabled };
    struct Row {
        LONG style;
        State state;
        size_t dump; // of the downwards picture; styles 7 and 8 add 4 for across
    };
    const Row rows[] = {
        {5, Pressed, 0}, {5, Hover, 1}, {5, Idle, 2}, {5, Disabled, 2},
        {6, Pressed, 3}, {6, Hover, 4}, {6, Idle, 4}, {6, Disabled, 5},
        {7, Pressed, 6}, {7, Hover, 7}, {7, Idle, 8}, {7, Disabled, 9},
        {8, Pressed, 14}, {8, Hover, 15}, {8, Idle, 16}, {8, Disabled, 17},
    };
    const auto dumps = test_support::oracle_dumps(std::string(VELMORA_FIXTURES_DIR) + "/gradient-styles-27.out");
    ASSERT_EQ(dumps.size(), 22u);
    constexpr COLORREF untouched = 0x123456;
    for (const auto& row : rows) {
        // Styles 5 and 6 shade downwards whatever the shape; 12 runs no renderer at all.
        for (LONG shape = 0; shape <= 12; ++shape) {
            const bool across = shape == button::ShapeTriangleUp || shape == button::ShapeTriangleDown ||
                                shape == button::ShapeArrowUp || shape == button::ShapeArrowDown;
            const size_t dump = row.dump + (across && row.style >= 7 ? 4 : 0);
            SCOPED_TRACE("style " + std::to_string(row.style) + " state " + std::to_string(int(row.state)) +
                         " shape " + std::to_string(shape) + ", picture " + std::to_string(dump));
            make(27, 27);
            mouse_up();
            move_to(-5, -5);
            b.let_Caption("");
            b.let_ButtonShape(shape);
            b.let_ButtonStyle(row.style);
            if (row.style == 8) { // the preset gives one colour to all three faces
                b.let_BackColor(0x203040);
                b.let_BackColorHover(0x405060);
                b.let_BackColorPressed(0x607080);
            }
            if (row.state == Hover)
                move_to(13, 20);
            if (row.state == Pressed)
                mouse_down();
            if (row.state == Disabled)
                b.let_Enabled(false);
            // The lines alone, on a colour none of them has: no fill, no gradient.
            b.UserControl.set_BackColor(untouched);
            b.let_ButtonStyleColors(button::FillNone);
            const Surface lines = b.UserControl.surface();
            b.let_ButtonStyleColors(button::FillSolid);
            const Dump want(dumps[dump]);
            int compared = 0;
            for (int y = 0; y < 27; ++y) {
                for (int x = 0; x < 27; ++x) {
                    // The diamond's apex pixel below its top vertex comes with a fill only.
                    const bool apex = shape == button::ShapeDiamond && x == 14 && y == 1;
                    if (lines.pixel(x, y) != untouched || apex)
                        continue;
                    ++compared;
                    ASSERT_EQ(pixel(x, y), want.at(x, y)) << "at " << x << "," << y;
                }
            }
            EXPECT_GT(compared, 27 * 27 / 2);
        }
    }
}

TEST_F(ButtonTest, AToggledOnButtonIsDrawnPressedWithoutInput)
{
    make(80, 25);
    b.let_ButtonType(button::ToggleButton);
    b.let_Value(true);
    EXPECT_TRUE(b.is_down());
    EXPECT_EQ(b.UserControl.ForeColor(), COLOR_BTNSHADOW); // style 1's last pressed edge
}

TEST_F(ButtonTest, HandCursorFollowsFocusAndHover)
{
    make(80, 25);
    SetCursor(0);
    b.let_HandPointer(true);
    EXPECT_EQ(current_cursor(), 0u); // idle without the focus
    focus();
    EXPECT_EQ(cursor_id(current_cursor()), IDC_HAND);
    SetCursor(0);
    b.UserControl.raise_LostFocus();
    move_to(5, 5);
    EXPECT_EQ(cursor_id(current_cursor()), IDC_HAND);
}

// The pressed state is tested first: pressed under the pointer, the hand needs the focus.
TEST_F(ButtonTest, HandCursorRowsByStateFocusAndHandPointer)
{
    enum State { Idle, Hover, Pressed, PressedUnderThePointer };
    struct Row {
        State state;
        bool focused, hand_pointer, hand;
    };
    const Row rows[] = {
        {Idle, false, true, false},
        {Idle, true, true, true},
        {Idle, true, false, false},
        {Hover, false, true, true},
        {Hover, true, false, false},
        {Pressed, false, true, false},
        {Pressed, true, true, true},
        {PressedUnderThePointer, false, true, false},
        {PressedUnderThePointer, true, true, true},
        {PressedUnderThePointer, true, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE("state " + std::to_string(int(row.state)) + (row.focused ? ", focused" : "") +
                     (row.hand_pointer ? ", HandPointer" : ""));
        make(80, 25);
        mouse_up();
        move_to(-5, -5);
        b.UserControl.raise_LostFocus();
        b.let_HandPointer(row.hand_pointer);
        if (row.focused)
            focus();
        if (row.state == Hover || row.state == PressedUnderThePointer)
            move_to(40, 12);
        if (row.state == Pressed || row.state == PressedUnderThePointer)
            mouse_down();
        SetCursor(0);
        b.UserControl_Paint();
        EXPECT_EQ(current_cursor() != 0 && cursor_id(current_cursor()) == IDC_HAND, row.hand);
        EXPECT_EQ(b.is_down(), row.state >= Pressed);
        EXPECT_EQ(b.mouse_over().value_or(false), row.state == Hover || row.state == PressedUnderThePointer);
    }
}

TEST_F(ButtonTest, PenLeftBehindByAPaint)
{
    struct Row {
        const char* what;
        std::function<void(ww&)> set;
        OLE_COLOR pen;
    };
    const Row rows[] = {
        {"style 7 idle", [](ww& w) { w.let_ButtonStyle(7); }, 0xFFFFFF},
        {"style 5: no edges", [](ww& w) { w.let_ButtonStyle(5); }, COLOR_BTNFACE},
        {"style 1 idle", [](ww& w) { w.let_ButtonStyle(1); }, COLOR_3DHIGHLIGHT},
        {"style 3 idle: no edges", [](ww& w) { w.let_ButtonStyle(3); }, 0x8000000F},
        {"drop-down arrow", [](ww& w) { w.let_DropDown(button::DropDownRight); }, 0},
        {"no renderer", [](ww& w) { w.let_ButtonShape(12); }, COLOR_3DDKSHADOW},
    };
    for (const auto& row : rows) {
        make(80, 25);
        b.let_ButtonShape(0);
        b.let_DropDown(0);
        b.let_ButtonStyle(1);
        row.set(b);
        EXPECT_EQ(b.UserControl.ForeColor(), row.pen) << row.what;
    }
}

TEST_F(ButtonTest, MaskColourIsTheBackColourAndTheImageIsHandedOver)
{
    make(80, 25);
    b.let_ButtonStyle(7);
    EXPECT_EQ(b.UserControl.MaskColor(), 0xD8D8D8u);
    ASSERT_NE(b.UserControl.MaskPicture(), nullptr);
    EXPECT_EQ(b.UserControl.MaskPicture()->pixel_width(), 80);
}

} // namespace button_test
