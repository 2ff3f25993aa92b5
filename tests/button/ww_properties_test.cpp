#include "tests/button/button_fixture.h"

#include "platform/errors.h"

namespace button_test {

TEST_F(ButtonTest, NewInstanceTakesItsDefaultsAndItsContainerName)
{
    b.UserControl.Font()->size = 12;
    b.UserControl_InitProperties();
    EXPECT_EQ(b.get_Caption(), "ww1");
    EXPECT_EQ(b.get_ButtonStyle(), 1);
    EXPECT_EQ(b.get_ButtonStyleColors(), 1);
    EXPECT_EQ(b.get_BackColor(), 0x8000000Fu);
    EXPECT_EQ(b.get_ForeColorPressed(), 0xFFu);
    EXPECT_EQ(b.get_ForeColorHover(), 0xFF0000u);
    EXPECT_EQ(b.get_EffectColor(), 0xFFFFFFu);
    EXPECT_TRUE(b.get_FocusRect());
    EXPECT_TRUE(b.get_Enabled());
    // Only the font's name changes; its size stays as the host had it.
    EXPECT_EQ(b.get_Font()->name, "Tahoma");
    EXPECT_EQ(b.get_Font()->size, 12);
    // 1200 x 500 twips is 80 x 33 pixels, and the paint left style 1's border colours.
    EXPECT_EQ(width(), 80);
    EXPECT_EQ(height(), 33);
    EXPECT_EQ(b.get_BorderColor(), 0x80000015u);
    EXPECT_EQ(b.get_BorderColorPressed(), 0x80000014u);
    EXPECT_TRUE(b.UserControl.changed_properties().empty());
}

TEST_F(ButtonTest, EverySetterMarksItsExactNameAndRepaints)
{
    make(80, 25);
    struct Row {
        const char* name;
        std::function<void(ww&)> set;
    };
    const Row rows[] = {
        {"ButtonShape", [](ww& w) { w.let_ButtonShape(0); }},
        {"ButtonStyleColors", [](ww& w) { w.let_ButtonStyleColors(1); }},
        {"ButtonType", [](ww& w) { w.let_ButtonType(0); }},
        {"CaptionAlignment", [](ww& w) { w.let_CaptionAlignment(2); }},
        {"CaptionEffect", [](ww& w) { w.let_CaptionEffect(0); }},
        {"CaptionStyle", [](ww& w) { w.let_CaptionStyle(0); }},
        {"DropDown", [](ww& w) { w.let_DropDown(0); }},
        {"PictureAlignment", [](ww& w) { w.let_PictureAlignment(2); }},
        {"BackColor", [](ww& w) { w.let_BackColor(1); }},
        {"BackColorPressed", [](ww& w) { w.let_BackColorPressed(1); }},
        {"BackColorHover", [](ww& w) { w.let_BackColorHover(1); }},
        {"BorderColor", [](ww& w) { w.let_BorderColor(1); }},
        {"BorderColorPressed", [](ww& w) { w.let_BorderColorPressed(1); }},
        {"BorderColorHover", [](ww& w) { w.let_BorderColorHover(1); }},
        {"ForeColor", [](ww& w) { w.let_ForeColor(1); }},
        {"ForeColorPressed", [](ww& w) { w.let_ForeColorPressed(1); }},
        {"ForeColorHover", [](ww& w) { w.let_ForeColorHover(1); }},
        {"EffectColor", [](ww& w) { w.let_EffectColor(1); }},
        {"Caption", [](ww& w) { w.let_Caption(""); }},
        {"FocusRect", [](ww& w) { w.let_FocusRect(true); }},
        {"Value", [](ww& w) { w.let_Value(false); }},
        {"HandPointer", [](ww& w) { w.let_HandPointer(false); }},
        {"Picture", [](ww& w) { w.set_Picture(nullptr); }},
        {"PictureGray", [](ww& w) { w.let_PictureGray(false); }},
        {"Enabled", [](ww& w) { w.let_Enabled(true); }},
        {"Font", [](ww& w) { w.set_Font(std::make_shared<StdFont>()); }},
        {"MousePointer", [](ww& w) { w.let_MousePointer(0); }},
        {"MouseIcon", [](ww& w) { w.set_MouseIcon(nullptr); }},
        {"ButtonStyle", [](ww& w) { w.let_ButtonStyle(0); }},
        {"ButtonTheme", [](ww& w) { w.let_ButtonTheme(0); }},
    };
    for (const auto& row : rows) {
        b.UserControl.clear_changed_properties();
        const int refreshes = b.UserControl.refresh_count();
        row.set(b); // the same value again still counts
        EXPECT_EQ(b.UserControl.changed_properties(), std::vector<std::string> {row.name});
        EXPECT_EQ(b.UserControl.refresh_count(), refreshes + 1) << row.name;
    }
}

TEST_F(ButtonTest, StylePresetsSetTheFaceColoursAndSometimesTheFill)
{
    struct Row {
        LONG style, fill_before;
        OLE_COLOR back, hover, pressed;
        LONG fill_after;
    };
    const Row rows[] = {
        {1, 5, 0x8000000F, 0x8000000F, 0x8000000F, 5},
        {2, 0, 0x8000000F, 0x8000000F, 0x8000000F, 0},
        {3, 7, 0x8000000F, 0x8000000F, 0x8000000F, 7},
        {4, 0, 0x8000000F, 0x8000000F, 0x999999, 0},
        {4, 5, 0x8000000F, 0x8000000F, 0x999999, 1},
        {5, 2, 0x8000000F, 0xB6A59F, 0xAF8C80, 2},
        {6, 0, 0xD2DEDD, 0xFFFFFF, 0xFFFFFF, 0},
        {6, 7, 0xD2DEDD, 0xFFFFFF, 0xFFFFFF, 3},
        {7, 4, 0xD8D8D8, 0xF7DBA5, 0xEFCE92, 4},
        {8, 1, 0x80000001, 0x80000001, 0x80000001, 1},
        {0, 1, 0x123456, 0x234567, 0x345678, 1}, // no preset: colours stay
        {9, 1, 0x123456, 0x234567, 0x345678, 1},
    };
    make(80, 25);
    for (const auto& row : rows) {
        b.let_ButtonStyleColors(row.fill_before);
        b.let_BackColor(0x123456);
        b.let_BackColorHover(0x234567);
        b.let_BackColorPressed(0x345678);
        b.UserControl.clear_changed_properties();
        b.let_ButtonStyle(row.style);
        EXPECT_EQ(b.get_ButtonStyle(), row.style);
        EXPECT_EQ(b.get_BackColor(), row.back) << "style " << row.style;
        EXPECT_EQ(b.get_BackColorHover(), row.hover) << "style " << row.style;
        EXPECT_EQ(b.get_BackColorPressed(), row.pressed) << "style " << row.style;
        EXPECT_EQ(b.get_ButtonStyleColors(), row.fill_after) << "style " << row.style;
        EXPECT_EQ(b.UserControl.changed_properties(), std::vector<std::string> {"ButtonStyle"});
    }
}

TEST_F(ButtonTest, ThemePresetsSetTheFaceAndBorderColours)
{
    struct Row {
        LONG theme;
        OLE_COLOR back, hover, pressed, border;
    };
    const Row rows[] = {
        {1, 0xF1B39A, 0xFDF7F4, 0xFAE6DD, 0xF1B39A},
        {2, 0x3DB4A2, 0xDFF4F2, 0xB8E7E0, 0x3DB4A2},
        {3, 0xB5A09D, 0xF7F5F4, 0xECE7E6, 0xB5A09D},
        {4, 0xABC2C2, 0xF2F8F8, 0xE6EDEE, 0xABC2C2},
        {5, 0x02C5F5, 0xE2F9FF, 0xAFEFFE, 0x02C5F5},
        {6, 0x26368B, 0x4763FF, 0x425CEE, 0x0000FF},
        {7, 0x578B2E, 0x9FFF54, 0x80CD43, 0x00FF00},
        {8, 0x8B4027, 0xFF7648, 0xCD5F3A, 0xFF0000},
        {0, 0x123456, 0x234567, 0x345678, 0x456789}, // no preset: everything stays
        {9, 0x123456, 0x234567, 0x345678, 0x456789},
    };
    make(80, 25);
    b.let_Caption("");
    b.let_ButtonStyle(0); // no look, so the paint keeps the border colours
    for (const auto& row : rows) {
        SCOPED_TRACE("theme " + std::to_string(row.theme));
        b.let_BackColor(0x123456);
        b.let_BackColorHover(0x234567);
        b.let_BackColorPressed(0x345678);
        b.let_BorderColor(0x456789);
        b.let_BorderColorHover(0x456789);
        b.let_BorderColorPressed(0x456789);
        b.let_ForeColor(0x010101);
        b.UserControl.clear_changed_properties();
        b.let_ButtonTheme(row.theme);
        EXPECT_EQ(b.get_ButtonTheme(), row.theme);
        EXPECT_EQ(b.get_BackColor(), row.back);
        EXPECT_EQ(b.get_BackColorHover(), row.hover);
        EXPECT_EQ(b.get_BackColorPressed(), row.pressed);
        EXPECT_EQ(b.get_BorderColor(), row.border);
        EXPECT_EQ(b.get_BorderColorHover(), row.border);
        EXPECT_EQ(b.get_BorderColorPressed(), row.border);
        EXPECT_EQ(b.get_ForeColor(), 0x010101u);
        EXPECT_EQ(b.UserControl.changed_properties(), std::vector<std::string> {"ButtonTheme"});
        EXPECT_EQ(pixel(0, 10), row.border); // the outline in the theme's border
        EXPECT_EQ(pixel(40, 12), row.back);  // the idle solid face
        // Each state's face and border colour show, not only the idle ones.
        move_to(40, 12);
        EXPECT_EQ(pixel(40, 12), row.hover);
        mouse_down();
        EXPECT_EQ(pixel(40, 12), row.pressed);
        EXPECT_EQ(pixel(0, 10), row.border);
        mouse_up();
        move_to(-5, -5);
    }
}

TEST_F(ButtonTest, ThemeBorderShowsOnlyOutsideTheStyles)
{
    make(80, 25);
    b.let_ButtonStyle(7);
    b.let_ButtonTheme(6);
    EXPECT_EQ(b.get_BorderColor(), 0x8F8F8Eu);
    EXPECT_EQ(b.get_BorderColorHover(), 0xB17F3Cu);
    EXPECT_EQ(pixel(0, 10), 0x8F8F8Eu);

    b.let_BackColor(0x010203);
    b.let_ButtonTheme(9);
    EXPECT_EQ(b.get_BackColor(), 0x010203u);
}

TEST_F(ButtonTest, MousePointerOverflowFailsBeforeTheHostIsAsked)
{
    make(80, 25);
    b.let_MousePointer(99);
    b.UserControl.clear_changed_properties();
    const int refreshes = b.UserControl.refresh_count();
    for (LONG bad : {40000, 32768, -32769}) {
        try {
            b.let_MousePointer(bad);
            ADD_FAILURE() << bad << " was taken";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), ERR_OVERFLOW);
        }
    }
    EXPECT_EQ(b.get_MousePointer(), 99);
    EXPECT_TRUE(b.UserControl.changed_properties().empty());
    EXPECT_EQ(b.UserControl.refresh_count(), refreshes);
    b.let_MousePointer(-32768);
    EXPECT_EQ(b.get_MousePointer(), -32768);
}

TEST_F(ButtonTest, ObjectPropertiesKeepTheReferenceGiven)
{
    make(80, 25);
    auto font = std::make_shared<StdFont>();
    b.set_Font(font);
    EXPECT_EQ(b.get_Font(), font);
    font->name = "MS Sans Serif"; // the host sees the change to the same object
    EXPECT_EQ(b.get_Font()->name, "MS Sans Serif");
    b.set_Picture(nullptr);
    EXPECT_EQ(b.get_Picture(), nullptr);
}

} // namespace button_test
