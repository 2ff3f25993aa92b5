#include "tests/button/button_fixture.h"

#include "platform/gdi/colour.h"
#include "platform/gdi/text.h"

#include <QBuffer>
#include <QImage>

#include <cmath>
#include <utility>

namespace button_test {

// A w x h picture of one colour, as PNG bytes decoded by the platform.
Picture solid_picture(int w, int h, QRgb colour)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    return StdPicture::from_bytes({data, size_t(bytes.size())});
}

class PictureTest : public ButtonTest {
protected:
    PictureTest()
    {
        make(75, 25);
        b.let_Caption("");
        b.let_ButtonStyle(5); // no style edges
        b.let_BackColor(0x00FF00);
        b.let_BackColorPressed(0x00FF00);
        b.let_BackColorHover(0x00FF00);
        b.let_ButtonStyleColors(button::FillSolid);
    }
    Picture glyph = solid_picture(16, 16, qRgb(0x99, 0x66, 0x33)); // COLORREF 0x336699
};

TEST_F(PictureTest, AlignmentPlacesThePicture)
{
    struct Row {
        LONG alignment;
        button::Box want;
    };
    const Row rows[] = {
        {button::AlignLeft, {5, 4, 16, 16}}, // r(59/75 + 4) = 5, r(9/2) = 4
        {button::AlignTop, {30, 4, 16, 16}},
        {button::AlignCenter, {30, 4, 16, 16}},
        {button::AlignRight, {54, 4, 16, 16}},
        {button::AlignBottom, {30, 4, 16, 16}},
    };
    b.set_Picture(glyph);
    for (const auto& row : rows) {
        b.let_PictureAlignment(row.alignment);
        EXPECT_EQ(b.picture_rect(), row.want) << "alignment " << row.alignment;
        EXPECT_EQ(pixel(row.want.x, row.want.y), 0x336699u);
        EXPECT_EQ(pixel(row.want.x - 1, row.want.y + 1), 0x00FF00u);
    }
}

TEST_F(PictureTest, UnknownAlignmentKeepsThePlaceButTakesTheNewSize)
{
    b.set_Picture(glyph);
    b.let_PictureAlignment(button::AlignRight);
    b.let_PictureAlignment(7);
    b.set_Picture(solid_picture(8, 4, qRgb(0, 0, 0)));
    EXPECT_EQ(b.picture_rect(), (button::Box {54, 4, 8, 4}));
    b.set_Picture(nullptr);
    EXPECT_EQ(b.picture_rect(), (button::Box {54, 4, 0, 0}));
}

TEST_F(PictureTest, StatesMoveOrGreyThePicture)
{
    b.set_Picture(glyph);
    b.let_PictureAlignment(button::AlignLeft); // at (5, 4)
    EXPECT_EQ(pixel(5, 4), 0x336699u);

    b.let_PictureGray(true); // grey pass A: the red byte
    EXPECT_EQ(pixel(5, 4), 0x999999u);
    EXPECT_EQ(pixel(21, 20), 0x00FF00u); // one past the corner equals the back colour: kept

    b.let_Enabled(false); // grey pass B: the blue byte, whatever PictureGray says
    EXPECT_EQ(pixel(5, 4), 0x333333u);
    b.let_PictureGray(false);
    EXPECT_EQ(pixel(5, 4), 0x333333u);

    b.let_Enabled(true);
    mouse_down(); // pressed: one pixel down and right
    EXPECT_NE(pixel(5, 4), 0x336699u);
    EXPECT_EQ(pixel(6, 5), 0x336699u);
}

TEST_F(PictureTest, GreyPassesReachOneColumnAndRowPastThePicture)
{
    // With a system colour as the back colour no pixel matches it: the whole box greys.
    b.let_BackColor(COLOR_BTNFACE);
    b.set_Picture(glyph);
    b.let_PictureAlignment(button::AlignLeft);
    b.let_PictureGray(true);
    const COLORREF face = resolve_colour(COLOR_BTNFACE); // 0xC8D0D4
    const COLORREF face_grey = RGB(GetRValue(face), GetRValue(face), GetRValue(face));
    EXPECT_EQ(pixel(21, 10), face_grey);
    EXPECT_EQ(pixel(10, 20), face_grey);
    EXPECT_EQ(pixel(22, 10), face);
}

TEST_F(PictureTest, HoverWithStyleFiveDrawsItTwice)
{
    b.set_Picture(solid_picture(16, 16, qRgb(0, 0, 0)));
    b.let_PictureAlignment(button::AlignLeft);
    move_to(40, 10);
    EXPECT_EQ(pixel(4, 3), 0x000000u); // the copy at (x - 1, y - 1)
    EXPECT_EQ(pixel(20, 19), 0x000000u);
}

// Caption passes: the button's pixels must equal its caption-less face with the
// expected text passes drawn over it.
class CaptionTest : public ButtonTest {
protected:
    struct Pass {
        OLE_COLOR colour;
        int dx, dy;
    };

    CaptionTest()
    {
        make(100, 25);
        b.let_ButtonStyle(5);
        b.let_Caption("Узнать");
        b.let_ForeColor(0x000080);
        b.let_ForeColorHover(0x800000);
        b.let_ForeColorPressed(0x008000);
        b.let_EffectColor(0x00FFFF);
    }

    void expect_passes(const std::vector<Pass>& passes, const std::string& what)
    {
        const button::Box box = b.caption_rect();
        const Surface with_text = b.UserControl.surface();
        const LONG effect = b.get_CaptionEffect();
        b.let_CaptionEffect(4); // no caption while enabled
        Surface expected = b.UserControl.surface();
        b.let_CaptionEffect(effect);
        DeviceContext dc(expected);
        dc.font = *b.get_Font();
        for (const auto& p : passes) {
            dc.text_colour = resolve_colour(p.colour);
            TextOutA(&dc, box.x + p.dx, box.y + p.dy, b.get_Caption().data(), int(b.get_Caption().size()));
        }
        int differing = 0;
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                differing += expected.pixel(x, y) != with_text.pixel(x, y);
        EXPECT_EQ(differing, 0) << what;
    }
};

TEST_F(CaptionTest, EffectsDrawTheirPassesInOrder)
{
    const OLE_COLOR fx = 0x00FFFF, idle = 0x000080, hot = 0x800000, down = 0x008000;
    std::vector<Pass> outline_idle, outline_down;
    for (int i = -1; i <= 1; ++i) {
        for (int j = -1; j <= 1; ++j) {
            outline_idle.insert(outline_idle.end(), {{fx, i, j}, {idle, 0, 0}});
            outline_down.insert(outline_down.end(), {{fx, i + 1, j + 1}, {down, 1, 1}});
        }
    }
    struct Row {
        LONG effect;
        int state; // 0 idle, 1 hover, 2 pressed
        std::vector<Pass> passes;
    };
    const Row rows[] = {
        {button::EffectNone, 0, {{idle, 0, 0}}},
        {button::EffectNone, 1, {{hot, 0, 0}}},
        {button::EffectNone, 2, {{down, 1, 1}}},
        {button::EffectRaised, 0, {{fx, -1, -1}, {idle, 0, 0}}},
        {button::EffectRaised, 1, {{fx, -1, -1}, {hot, 0, 0}}},
        {button::EffectRaised, 2, {{fx, 0, 0}, {down, 1, 1}}},
        {button::EffectShadow, 0, {{fx, 1, 1}, {idle, 0, 0}}},
        {button::EffectShadow, 2, {{fx, 2, 2}, {down, 1, 1}}},
        {button::EffectOutline, 0, outline_idle},
        {button::EffectOutline, 2, outline_down},
        {4, 0, {}},
    };
    for (const auto& row : rows) {
        mouse_up();
        move_to(-5, -5);
        if (row.state == 1)
            move_to(50, 12);
        if (row.state == 2)
            mouse_down();
        b.let_CaptionEffect(row.effect);
        expect_passes(row.passes, "effect " + std::to_string(row.effect) + " state " + std::to_string(row.state));
    }
}

// On 201 x 29 each alignment has its own place: the top and left margins are a fraction
// plus 4 (picture) or 5 (caption), the right and bottom margins 5, a centred half goes to
// the even neighbour.
TEST_F(CaptionTest, AlignmentsPlaceTheCaptionAndThePicture)
{
    resize(201, 29);
    SIZE cap {};
    {
        Surface measuring(1, 1, 0);
        DeviceContext dc(measuring);
        dc.font = *b.get_Font();
        GetTextExtentPoint32A(&dc, b.get_Caption().data(), int(b.get_Caption().size()), &cap);
    }
    ASSERT_GT(cap.cx, 20);
    ASSERT_LT(cap.cx, 100); // so that the left margin's fraction is above one half
    ASSERT_GT(cap.cy, 8);
    ASSERT_LT(cap.cy, 16); // and the top margin's too
    const auto even = [](double v) { return LONG(std::nearbyint(v)); };
    const LONG centre_x = even((201.0 - cap.cx) / 2), centre_y = even((29.0 - cap.cy) / 2);
    struct Row {
        LONG alignment;
        button::Box picture; // a 16 x 16 picture
        LONG caption_x, caption_y;
    };
    const Row rows[] = {
        // r(185 / 2) = 92, r(13 / 29 + 4) = 4
        {button::AlignTop, {92, 4, 16, 16}, centre_x, 6},
        // r(185 / 201 + 4) = 5, r(13 / 2) = 6
        {button::AlignLeft, {5, 6, 16, 16}, 6, centre_y},
        {button::AlignCenter, {92, 6, 16, 16}, centre_x, centre_y},
        {button::AlignRight, {180, 6, 16, 16}, 196 - cap.cx, centre_y},
        {button::AlignBottom, {92, 8, 16, 16}, centre_x, 24 - cap.cy},
    };
    const Picture glyph = solid_picture(16, 16, qRgb(0x99, 0x66, 0x33)); // COLORREF 0x336699
    const std::string caption = b.get_Caption();
    const COLORREF face = resolve_colour(b.get_BackColor());
    for (const auto& row : rows) {
        SCOPED_TRACE("alignment " + std::to_string(row.alignment));
        b.let_CaptionAlignment(row.alignment);
        b.let_PictureAlignment(row.alignment);

        b.let_Caption("");
        b.set_Picture(glyph);
        EXPECT_EQ(b.picture_rect(), row.picture);
        const auto [x, y, w, h] = row.picture;
        for (auto [px, py] : {std::pair {x, y}, {x + w - 1, y}, {x, y + h - 1}, {x + w - 1, y + h - 1}})
            EXPECT_EQ(pixel(px, py), 0x336699u) << "inside at " << px << "," << py;
        for (auto [px, py] : {std::pair {x - 1, y}, {x, y - 1}, {x + w, y + h - 1}, {x + w - 1, y + h}})
            EXPECT_EQ(pixel(px, py), face) << "outside at " << px << "," << py;

        b.set_Picture(nullptr);
        b.let_Caption(caption);
        EXPECT_EQ(b.caption_rect(), (button::Box {row.caption_x, row.caption_y, cap.cx, cap.cy}));
        expect_passes({{0x000080, 0, 0}}, "text at the box");
    }
}

TEST_F(CaptionTest, DisabledCaptionIgnoresTheEffect)
{
    b.let_CaptionEffect(4);
    b.let_Enabled(false);
    expect_passes({{COLOR_3DHIGHLIGHT, 1, 1}, {COLOR_BTNSHADOW, 0, 0}}, "style 5");
    b.let_ButtonStyle(4);
    expect_passes({{COLOR_BTNSHADOW, 0, 0}}, "style 4");
}

TEST_F(CaptionTest, UnknownAlignmentNeitherMeasuresNorMoves)
{
    b.let_CaptionAlignment(button::AlignRight);
    const button::Box right = b.caption_rect();
    EXPECT_EQ(right.x, 100 - right.width - 5);
    b.let_CaptionAlignment(7);
    b.let_Caption("a much longer caption");
    EXPECT_EQ(b.caption_rect(), right);
}

TEST_F(CaptionTest, HorizontalRampRoundsBlueApart)
{
    // 64 wide; 1 in every channel of the idle colour, 2 of the pressed one: at x = 32
    // red and green round 1.5 to 2 while blue adds the rounded 0.5, which is 0.
    resize(64, 25);
    b.let_ButtonStyle(0);
    b.let_Caption("ШШШШШШ");
    b.let_ForeColor(0x010101);
    b.let_ForeColorPressed(0x020202);
    b.let_CaptionStyle(button::TextGradientHorizontal);
    int ramp_pixels = 0;
    for (int y = 0; y < 25; ++y) {
        const COLORREF p = pixel(32, y);
        if (p == RGB(2, 2, 1))
            ++ramp_pixels;
        EXPECT_NE(p, 0x010101u) << "unrecoloured caption pixel at 32," << y;
    }
    EXPECT_GT(ramp_pixels, 0);
}

TEST_F(CaptionTest, RampsSkipPixelsOfASystemColourPen)
{
    b.let_CaptionStyle(button::TextGradientVertical);
    const Surface ramped = b.UserControl.surface();
    b.let_Enabled(false); // the last pass used the shadow reference, which no pixel equals
    const Surface disabled = b.UserControl.surface();
    b.let_CaptionStyle(button::TextPlain);
    int differing = 0;
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 100; ++x)
            differing += b.UserControl.surface().pixel(x, y) != disabled.pixel(x, y);
    EXPECT_EQ(differing, 0);
    EXPECT_NE(ramped.pixel(0, 0), CLR_INVALID);
}

} // namespace button_test
