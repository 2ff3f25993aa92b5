#include "tests/button/button_fixture.h"
#include "tests/support/property_values.h"

#include "button/ww_persist.h"
#include "platform/errors.h"
#include "platform/host/property_bag.h"
#include "tests/support/picture_files.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <time.h>

namespace button_test {

using button::read_instance_set;
using button::write_instance_set;

namespace {

using test_support::error_number;
using test_support::tahoma;

using Bytes = std::vector<uint8_t>;

const std::vector<std::string> font_then_icon = {"Font", "MouseIcon"};


// Calls `seen` at the end of every paint of the host.
struct PaintWatch : UserControlSite {
    std::function<void()> seen;
    void image_refreshed() override { seen(); }
};

// The defaults of the 26 keys a button keeps in fields, and of the host's four.
void expect_defaults(const ww& w, const char* where)
{
    SCOPED_TRACE(where);
    EXPECT_EQ(w.get_ButtonShape(), 0);
    EXPECT_EQ(w.get_ButtonStyle(), 1);
    EXPECT_EQ(w.get_ButtonStyleColors(), 1);
    EXPECT_EQ(w.get_ButtonTheme(), 0);
    EXPECT_EQ(w.get_ButtonType(), 0);
    EXPECT_EQ(w.get_CaptionAlignment(), 2);
    EXPECT_EQ(w.get_CaptionEffect(), 0);
    EXPECT_EQ(w.get_CaptionStyle(), 0);
    EXPECT_EQ(w.get_DropDown(), 0);
    EXPECT_EQ(w.get_PictureAlignment(), 2);
    EXPECT_EQ(w.get_BackColor(), 0x8000000Fu);
    EXPECT_EQ(w.get_BackColorPressed(), 0x8000000Fu);
    EXPECT_EQ(w.get_BackColorHover(), 0x8000000Fu);
    EXPECT_EQ(w.get_ForeColor(), 0u);
    EXPECT_EQ(w.get_ForeColorPressed(), 0xFFu);
    EXPECT_EQ(w.get_ForeColorHover(), 0xFF0000u);
    EXPECT_EQ(w.get_EffectColor(), 0xFFFFFFu);
    EXPECT_EQ(w.get_Caption(), w.UserControl.Name());
    EXPECT_TRUE(w.get_FocusRect());
    EXPECT_FALSE(w.get_Value());
    EXPECT_FALSE(w.get_HandPointer());
    EXPECT_FALSE(w.get_Picture());
    EXPECT_FALSE(w.get_PictureGray());
    EXPECT_TRUE(w.get_Enabled());
    EXPECT_FALSE(w.get_MouseIcon());
    EXPECT_EQ(w.get_MousePointer(), 0);
}

} // namespace

// ---- the fourteen sets of the program's buttons ----

struct ProgramSet {
    const char* instance;
    int32_t extent_x, extent_y;
    bool style_16_bits;
    OLE_COLOR border;
    const char* caption;
    int16_t weight;
    const char* glyph; // nullptr: none
    bool eight_image_icon;
    int pixel_w, pixel_h;
};

class ProgramSets : public ::testing::Test {
protected:
    const Bytes& glyph(const std::string& name)
    {
        // One colour per glyph; the buttons with the same glyph share its file.
        static const std::pair<const char*, QRgb> colours[] = {
            {"sunflower", qRgb(240, 200, 0)}, {"information", qRgb(0, 80, 200)}, {"cross", qRgb(220, 0, 0)},
            {"house", qRgb(120, 60, 0)},      {"chart", qRgb(0, 160, 60)},       {"magnifier", qRgb(90, 90, 90)},
        };
        if (!glyphs.count(name))
            for (const auto& [n, c] : colours)
                if (name == n)
                    glyphs[name] = test_pictures::png(16, 16, c);
        return glyphs.at(name);
    }

    // The set as the window definition holds it, built key by key.
    Bytes stored_set(const ProgramSet& row)
    {
        PropertyBag bag;
        bag.WriteProperty("_extentx", row.extent_x, Nothing {});
        bag.WriteProperty("_extenty", row.extent_y, Nothing {});
        if (row.style_16_bits)
            bag.WriteProperty("buttonstyle", int16_t(7), Nothing {});
        else
            bag.WriteProperty("buttonstyle", 7, Nothing {});
        bag.WriteProperty("backcolor", 0xD8D8D8u, Nothing {});
        bag.WriteProperty("backcolorpressed", 0xEFCE92u, Nothing {});
        bag.WriteProperty("backcolorhover", 0xF7DBA5u, Nothing {});
        bag.WriteProperty("bordercolor", row.border, Nothing {});
        bag.WriteProperty("bordercolorpressed", 0x5C411Du, Nothing {});
        bag.WriteProperty("bordercolorhover", 0xB17F3Cu, Nothing {});
        bag.WriteProperty("caption", row.caption, Nothing {});
        if (row.glyph)
            bag.WriteProperty("picture", StdPicture::from_bytes(glyph(row.glyph)), Nothing {});
        if (row.eight_image_icon)
            bag.WriteProperty("enabled", false, Nothing {});
        bag.WriteProperty("font", std::make_shared<StdFont>(tahoma(row.weight)), Nothing {});
        bag.WriteProperty("mouseicon", StdPicture::from_bytes(icon_file(row)), Nothing {});
        bag.WriteProperty("mousepointer", int16_t(99), Nothing {});
        return bag.stored_form();
    }

    Bytes icon_file(const ProgramSet& row) const
    {
        return row.eight_image_icon ? test_pictures::multi_image_icon() : test_pictures::hand_cursor();
    }

    std::map<std::string, Bytes> glyphs;
};

TEST_F(ProgramSets, EachButtonReadsItsSetIntoAFreshInstance)
{
    const ProgramSet rows[] = {
        {"Form1.ww1", 4260, 661, false, 0x8F8F8E, "Узнать", 700, nullptr, false, 161, 25},
        {"Form1.ww2", 3969, 661, false, 0xB5B2AD, "Получить код", 700, nullptr, true, 150, 25},
        {"Form1.ww3", 4260, 661, false, 0x8F8F8E, "Скриншот сайта", 700, nullptr, false, 161, 25},
        {"Form1.ww4", 661, 661, false, 0x8F8F8E, "", 400, "sunflower", false, 25, 25},
        {"Form1.ww5", 661, 661, false, 0x8F8F8E, "", 400, "information", false, 25, 25},
        {"Form1.ww6", 661, 661, false, 0x8F8F8E, "", 400, "cross", false, 25, 25},
        {"Form1.ww7", 661, 661, false, 0x8F8F8E, "", 400, "house", false, 25, 25},
        {"Form1.ww8", 661, 661, false, 0x8F8F8E, "", 400, "chart", false, 25, 25},
        {"Form1.ww9", 873, 661, false, 0x8F8F8E, "", 400, "magnifier", false, 33, 25},
        {"Form2.ww1", 661, 661, true, 0x8F8F8E, "", 400, "sunflower", false, 25, 25},
        {"Form2.ww2", 661, 661, true, 0x8F8F8E, "", 400, "chart", false, 25, 25},
        {"Form5.ww1", 661, 661, true, 0x8F8F8E, "", 400, "chart", false, 25, 25},
        {"Form6.ww1", 661, 661, true, 0x8F8F8E, "", 400, "sunflower", false, 25, 25},
        {"Form7.ww1", 1085, 1720, true, 0x8F8F8E, "OK", 700, nullptr, false, 41, 65},
    };
    for (const ProgramSet& row : rows) {
        SCOPED_TRACE(row.instance);
        const Bytes stored = stored_set(row);
        PropertyBag bag = PropertyBag::from_stored(stored);
        ww w {"ww1"};
        read_instance_set(w, bag);

        EXPECT_EQ(w.UserControl.pixel_width(), row.pixel_w);
        EXPECT_EQ(w.UserControl.pixel_height(), row.pixel_h);
        EXPECT_EQ(w.get_ButtonShape(), 0);
        EXPECT_EQ(w.get_ButtonStyle(), 7);
        EXPECT_EQ(w.get_ButtonStyleColors(), 1);
        EXPECT_EQ(w.get_ButtonTheme(), 0);
        EXPECT_EQ(w.get_ButtonType(), 0);
        EXPECT_EQ(w.get_CaptionAlignment(), 2);
        EXPECT_EQ(w.get_CaptionEffect(), 0);
        EXPECT_EQ(w.get_CaptionStyle(), 0);
        EXPECT_EQ(w.get_DropDown(), 0);
        EXPECT_EQ(w.get_PictureAlignment(), 2);
        EXPECT_EQ(w.get_BackColor(), 0xD8D8D8u);
        EXPECT_EQ(w.get_BackColorPressed(), 0xEFCE92u);
        EXPECT_EQ(w.get_BackColorHover(), 0xF7DBA5u);
        EXPECT_EQ(w.get_BorderColor(), row.border);
        EXPECT_EQ(w.get_BorderColorPressed(), 0x5C411Du);
        EXPECT_EQ(w.get_BorderColorHover(), 0xB17F3Cu);
        EXPECT_EQ(w.get_ForeColor(), 0u);
        EXPECT_EQ(w.get_ForeColorPressed(), 0xFFu);
        EXPECT_EQ(w.get_ForeColorHover(), 0xFF0000u);
        EXPECT_EQ(w.get_EffectColor(), 0xFFFFFFu);
        EXPECT_EQ(w.get_Caption(), row.caption);
        EXPECT_TRUE(w.get_FocusRect());
        EXPECT_FALSE(w.get_Value());
        EXPECT_FALSE(w.get_HandPointer());
        if (row.glyph) {
            ASSERT_TRUE(w.get_Picture());
            EXPECT_EQ(w.get_Picture()->bytes(), glyph(row.glyph));
        } else {
            EXPECT_FALSE(w.get_Picture());
        }
        EXPECT_FALSE(w.get_PictureGray());
        EXPECT_EQ(w.get_Enabled(), !row.eight_image_icon);
        EXPECT_EQ(*w.get_Font(), tahoma(row.weight));
        ASSERT_TRUE(w.get_MouseIcon());
        EXPECT_EQ(w.get_MouseIcon()->bytes(), icon_file(row));
        EXPECT_EQ(w.get_MousePointer(), 99);
        EXPECT_EQ(w.UserControl.changed_properties(), font_then_icon);

        // Stored again, the instance gives its set back; a 16-bit style comes back as 32 bits.
        const Bytes again = write_instance_set(w, w.UserControl.Width(), w.UserControl.Height()).stored_form();
        if (!row.style_16_bits)
            EXPECT_EQ(again, stored);
        else
            EXPECT_EQ(again.size(), stored.size() + 4);
    }
}

// ---- reading ----

TEST_F(ButtonTest, ASetOfExtentsOnlyGivesEveryDefault)
{
    // A host that starts disabled with another pointer still ends at the defaults.
    b.UserControl.set_Enabled(false);
    b.UserControl.set_MousePointer(5);
    b.UserControl.Ambient.Font = std::make_shared<StdFont>(tahoma(400));
    PropertyBag bag;
    bag.WriteProperty("_extentx", 1720, Nothing {});
    bag.WriteProperty("_extenty", 661, Nothing {});
    read_instance_set(b, bag);
    expect_defaults(b, "extents only");
    EXPECT_EQ(*b.get_Font(), tahoma(400));
    EXPECT_EQ(width(), 65);
    EXPECT_EQ(height(), 25);
}

TEST_F(ButtonTest, ReadingAppliesNoPresetAndWidensSixteenBitKeysWhateverTheirCase)
{
    PropertyBag bag;
    bag.WriteProperty("BUTTONSTYLE", int16_t(7), Nothing {});
    bag.WriteProperty("buttonTheme", int16_t(3), Nothing {});
    b.UserControl_ReadProperties(bag);
    EXPECT_EQ(b.get_ButtonStyle(), 7);
    EXPECT_EQ(b.get_ButtonTheme(), 3);
    EXPECT_EQ(b.get_BackColor(), 0x8000000Fu);
    EXPECT_EQ(b.get_BackColorHover(), 0x8000000Fu);
    EXPECT_EQ(b.get_BackColorPressed(), 0x8000000Fu);
}

TEST_F(ButtonTest, ReadingReportsFontThenMouseIconAndItsFirstPaintSeesEverything)
{
    resize(60, 25);
    PropertyBag bag;
    bag.WriteProperty("ButtonStyle", 7, 1);
    bag.WriteProperty("BackColor", 0xD8D8D8u, 0x8000000Fu);
    bag.WriteProperty("Caption", "Узнать", "");
    bag.WriteProperty("Enabled", false, true);
    bag.WriteProperty("Font", std::make_shared<StdFont>(tahoma(700)), Nothing {});
    bag.WriteProperty("MouseIcon", StdPicture::from_bytes(test_pictures::hand_cursor()), Nothing {});
    bag.WriteProperty("MousePointer", int16_t(99), int16_t(0));

    std::vector<OLE_COLOR> borders;
    std::vector<std::vector<COLORREF>> images;
    PaintWatch watch;
    watch.seen = [&] {
        borders.push_back(b.get_BorderColor());
        std::vector<COLORREF> pixels;
        for (int y = 0; y < height(); ++y)
            for (int x = 0; x < width(); ++x)
                pixels.push_back(pixel(x, y));
        images.push_back(std::move(pixels));
    };
    b.UserControl.set_site(&watch);
    b.UserControl_ReadProperties(bag);
    b.UserControl.set_site(nullptr);

    EXPECT_EQ(b.UserControl.changed_properties(), font_then_icon);
    ASSERT_EQ(images.size(), 2u);
    // The font step already draws the button disabled, and the icon step draws it alike.
    EXPECT_EQ(borders[0], 0xB5B2ADu);
    EXPECT_EQ(images[0], images[1]);
    EXPECT_FALSE(b.get_Enabled());
    EXPECT_EQ(b.get_MousePointer(), 99);
}

TEST_F(ButtonTest, AValueThatDoesNotConvertStopsReadingWhereItIs)
{
    const auto font = std::make_shared<StdFont>(tahoma(700));
    const Picture cursor = StdPicture::from_bytes(test_pictures::hand_cursor());

    struct Case {
        const char* what;
        std::function<void(PropertyBag&)> fill;
        int error;
        std::function<void()> check; // what stays and what changed
        std::vector<std::string> changed;
    };
    const Case cases[] = {
        {"text for a 32-bit key",
         [](PropertyBag& p) {
             p.WriteProperty("ButtonShape", 3, 0);
             p.WriteProperty("ButtonStyle", "seven", 1);
             p.WriteProperty("ButtonTheme", 5, 0);
         },
         ERR_TYPE_MISMATCH,
         [&] {
             EXPECT_EQ(b.get_ButtonShape(), 3);
             EXPECT_EQ(b.get_ButtonStyle(), 1);
             EXPECT_EQ(b.get_ButtonTheme(), 0);
         },
         {}},
        {"font for the picture",
         [&](PropertyBag& p) {
             p.WriteProperty("Caption", "Go", "");
             p.WriteProperty("Picture", font, Nothing {});
             p.WriteProperty("PictureGray", true, false);
         },
         ERR_TYPE_MISMATCH,
         [&] {
             EXPECT_EQ(b.get_Caption(), "Go");
             EXPECT_FALSE(b.get_PictureGray());
         },
         {}},
        {"picture for the font",
         [&](PropertyBag& p) {
             p.WriteProperty("Enabled", false, true);
             p.WriteProperty("Font", cursor, Nothing {});
         },
         ERR_TYPE_MISMATCH, [&] { EXPECT_FALSE(b.get_Enabled()); }, {}},
        {"mouse pointer past 16 bits",
         [&](PropertyBag& p) {
             p.WriteProperty("MouseIcon", cursor, Nothing {});
             p.WriteProperty("MousePointer", 40000, 0);
         },
         ERR_OVERFLOW,
         [&] {
             EXPECT_EQ(b.get_MouseIcon(), cursor);
             EXPECT_EQ(b.get_MousePointer(), 0);
         },
         font_then_icon},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        b.UserControl_InitProperties();
        b.UserControl.clear_changed_properties();
        const int refreshes = b.UserControl.refresh_count();
        PropertyBag bag;
        c.fill(bag);
        EXPECT_EQ(error_number([&] { b.UserControl_ReadProperties(bag); }), c.error);
        c.check();
        // Only the Set procedures that ran reported and repainted.
        EXPECT_EQ(b.UserControl.changed_properties(), c.changed);
        EXPECT_EQ(b.UserControl.refresh_count(), refreshes + int(c.changed.size()));
    }
}

// ---- writing ----

TEST_F(ButtonTest, WritingAndReadingBackRestoresEveryKey)
{
    make(60, 30);
    // Style 9 has no border preset, so the border colours survive the repaints.
    b.let_ButtonStyle(9);
    b.let_ButtonShape(13);
    b.let_ButtonStyleColors(4);
    b.let_ButtonTheme(-2);
    b.let_ButtonType(1);
    b.let_CaptionAlignment(3);
    b.let_CaptionEffect(2);
    b.let_CaptionStyle(1);
    b.let_DropDown(2);
    b.let_PictureAlignment(4);
    b.let_BackColor(0x010203);
    b.let_BackColorPressed(0x040506);
    b.let_BackColorHover(0x80000005);
    b.let_BorderColor(0x0A0B0C);
    b.let_BorderColorPressed(0x0D0E0F);
    b.let_BorderColorHover(0x101112);
    b.let_ForeColor(0x131415);
    b.let_ForeColorPressed(0x161718);
    b.let_ForeColorHover(0x191A1B);
    b.let_EffectColor(0x1C1D1E);
    b.let_Caption("Скриншот\nсайта");
    b.let_FocusRect(false);
    b.let_Value(true);
    b.let_HandPointer(true);
    b.set_Picture(StdPicture::from_bytes(test_pictures::png(16, 16, qRgb(1, 2, 3))));
    b.let_PictureGray(true);
    b.let_Enabled(false);
    StdFont font = tahoma(700);
    font.italic = font.underline = true;
    font.size = 12;
    b.set_Font(std::make_shared<StdFont>(font));
    b.set_MouseIcon(StdPicture::from_bytes(test_pictures::multi_image_icon()));
    b.let_MousePointer(-5);

    PropertyBag written = PropertyBag::from_stored(write_instance_set(b, 900, 900).stored_form());
    ww back {"ww2"};
    read_instance_set(back, written);

    EXPECT_EQ(back.get_ButtonStyle(), 9);
    EXPECT_EQ(back.get_ButtonShape(), 13);
    EXPECT_EQ(back.get_ButtonStyleColors(), 4);
    EXPECT_EQ(back.get_ButtonTheme(), -2);
    EXPECT_EQ(back.get_ButtonType(), 1);
    EXPECT_EQ(back.get_CaptionAlignment(), 3);
    EXPECT_EQ(back.get_CaptionEffect(), 2);
    EXPECT_EQ(back.get_CaptionStyle(), 1);
    EXPECT_EQ(back.get_DropDown(), 2);
    EXPECT_EQ(back.get_PictureAlignment(), 4);
    EXPECT_EQ(back.get_BackColor(), 0x010203u);
    EXPECT_EQ(back.get_BackColorPressed(), 0x040506u);
    EXPECT_EQ(back.get_BackColorHover(), 0x80000005u);
    EXPECT_EQ(back.get_BorderColor(), 0x0A0B0Cu);
    EXPECT_EQ(back.get_BorderColorPressed(), 0x0D0E0Fu);
    EXPECT_EQ(back.get_BorderColorHover(), 0x101112u);
    EXPECT_EQ(back.get_ForeColor(), 0x131415u);
    EXPECT_EQ(back.get_ForeColorPressed(), 0x161718u);
    EXPECT_EQ(back.get_ForeColorHover(), 0x191A1Bu);
    EXPECT_EQ(back.get_EffectColor(), 0x1C1D1Eu);
    EXPECT_EQ(back.get_Caption(), "Скриншот\nсайта");
    EXPECT_FALSE(back.get_FocusRect());
    EXPECT_TRUE(back.get_Value());
    EXPECT_TRUE(back.get_HandPointer());
    ASSERT_TRUE(back.get_Picture());
    EXPECT_EQ(back.get_Picture()->bytes(), b.get_Picture()->bytes());
    EXPECT_TRUE(back.get_PictureGray());
    EXPECT_FALSE(back.get_Enabled());
    EXPECT_EQ(*back.get_Font(), font);
    ASSERT_TRUE(back.get_MouseIcon());
    EXPECT_EQ(back.get_MouseIcon()->bytes(), test_pictures::multi_image_icon());
    EXPECT_EQ(back.get_MousePointer(), -5);
    EXPECT_EQ(back.UserControl.pixel_width(), 60);
}

TEST_F(ButtonTest, DefaultsLeaveNoEntryButCaptionAndFontAreKept)
{
    b.UserControl_InitProperties();
    b.let_Caption("");
    PropertyBag bag;
    b.UserControl_WriteProperties(bag);
    std::vector<std::string> keys;
    for (const auto& entry : bag.entries())
        keys.push_back(entry.key);
    // Style 1's paint put its own border colours in the fields; the caption differs from
    // the host name even when empty; a font is an object and always stays.
    EXPECT_EQ(keys, (std::vector<std::string> {"bordercolor", "bordercolorpressed", "bordercolorhover", "caption",
                                               "font"}));
    EXPECT_EQ(bag.ReadProperty("caption").to_string(), "");
    EXPECT_EQ(uint32_t(bag.ReadProperty("bordercolor").to_long()), 0x80000015u);

    // A caption equal to the host name is left out.
    b.let_Caption(b.UserControl.Name());
    PropertyBag again;
    b.UserControl_WriteProperties(again);
    EXPECT_FALSE(again.contains("caption"));
}

TEST_F(ButtonTest, WritingChangesNothingInTheControl)
{
    make(60, 25);
    b.UserControl.clear_changed_properties();
    const int refreshes = b.UserControl.refresh_count();
    PropertyBag bag;
    b.UserControl_WriteProperties(bag);
    EXPECT_TRUE(b.UserControl.changed_properties().empty());
    EXPECT_EQ(b.UserControl.refresh_count(), refreshes);
}

TEST_F(ButtonTest, DisabledStyleSevenWritesItsDisabledBorder)
{
    make(60, 25);
    b.let_ButtonStyle(7);
    b.let_Enabled(false);
    b.let_BorderColor(0x123456); // the repaint of this very setter replaces it
    PropertyBag bag;
    b.UserControl_WriteProperties(bag);
    EXPECT_EQ(uint32_t(bag.ReadProperty("BorderColor").to_long()), 0xB5B2ADu);
    EXPECT_EQ(uint32_t(bag.ReadProperty("BorderColorHover").to_long()), 0xB17F3Cu);
    EXPECT_EQ(uint32_t(bag.ReadProperty("BorderColorPressed").to_long()), 0x5C411Du);
    EXPECT_FALSE(bag.ReadProperty("Enabled", true).to_bool());
}

// ---- the container's keys ----

TEST(InstanceSet, ExtentsAreTwipsInHimetricAndComeFirst)
{
    const std::pair<double, int32_t> sizes[] = {{375, 661},   {495, 873},   {615, 1085},
                                                {975, 1720},  {2250, 3969}, {2415, 4260}};
    for (const auto& [twips, himetric] : sizes)
        EXPECT_EQ(button::twips_to_himetric(twips), himetric) << twips;

    ww w {"ww1"};
    w.UserControl_InitProperties();
    const PropertyBag bag = write_instance_set(w, 2415, 375);
    ASSERT_GE(bag.entries().size(), 2u);
    EXPECT_EQ(bag.entries()[0].key, "_extentx");
    EXPECT_EQ(bag.entries()[0].value.to_long(), 4260);
    EXPECT_EQ(bag.entries()[1].key, "_extenty");
    EXPECT_EQ(bag.entries()[1].value.to_long(), 661);
}

TEST(InstanceSet, ExtentsPastWhatASurfaceHoldsRaiseOutOfMemory)
{
    struct Case {
        int32_t extent_x, extent_y;
        int error;
        int pixel_w, pixel_h; // the host's size afterwards
    };
    // 866900 HIMETRIC is 32765 pixels, about the widest a window is; a button that wide is a
    // strip, but that square would be 4 GB. A refused height leaves the width already taken.
    const Case cases[] = {
        {866900, 661, 0, 32765, 25},
        {866900, 866900, ERR_OUT_OF_MEMORY, 32765, 25},
        {54187, 54187, 0, 2048, 2048},
        {54187, 54213, ERR_OUT_OF_MEMORY, 2048, 25},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.extent_x << " x " << c.extent_y);
        ww w {"ww1"};
        w.UserControl.set_Width(1200);
        w.UserControl.set_Height(375);
        PropertyBag bag;
        bag.WriteProperty("_extentx", c.extent_x, Nothing {});
        bag.WriteProperty("_extenty", c.extent_y, Nothing {});
        EXPECT_EQ(error_number([&] { read_instance_set(w, bag); }), c.error);
        EXPECT_EQ(w.UserControl.pixel_width(), c.pixel_w);
        EXPECT_EQ(w.UserControl.pixel_height(), c.pixel_h);
        EXPECT_EQ(w.UserControl.surface().pixels().size(), size_t(c.pixel_w) * size_t(c.pixel_h));
    }
}

double thread_seconds()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

TEST(InstanceSet, AHugeFontAndALongCaptionCostWhatTheButtonShows)
{
    // The largest size a stored font holds, 0xFFFFFFFF ten-thousandths of a point, and a
    // caption of 400 letters, some thousand pixels high and hundreds of thousands wide.
    StdFont huge = tahoma(400);
    huge.size = 0xFFFFFFFFu / 10000.0;
    std::string caption;
    for (int i = 0; i < 400; ++i)
        caption += "Ж";
    const LONG styles[] = {0, 1, 2}; // plain, and both colour ramps over the caption box
    double spent = 0;
    for (LONG style : styles) {
        SCOPED_TRACE(style);
        PropertyBag written;
        written.WriteProperty("_extentx", 4260, Nothing {});
        written.WriteProperty("_extenty", 661, Nothing {});
        written.WriteProperty("CaptionStyle", style, 0);
        written.WriteProperty("Caption", caption, "");
        written.WriteProperty("Font", std::make_shared<StdFont>(huge), Nothing {});
        PropertyBag bag = PropertyBag::from_stored(written.stored_form());
        ww w {"ww1"};
        const double start = thread_seconds();
        read_instance_set(w, bag);
        spent += thread_seconds() - start;
        EXPECT_EQ(w.UserControl.pixel_width(), 161);
        EXPECT_EQ(*w.get_Font(), huge);
        EXPECT_EQ(w.get_Caption(), caption);
    }
    // Inking the whole caption, or ramping its colours over its whole box, took seconds.
    EXPECT_LT(spent, 0.5);
}

// ---- the rest of the life cycle ----

TEST_F(ButtonTest, ResizeAndShowRepaintOnceTerminateAndShowAboutChangeNothing)
{
    make(60, 25);
    int refreshes = b.UserControl.refresh_count();
    b.UserControl_Resize();
    EXPECT_EQ(b.UserControl.refresh_count(), ++refreshes);
    b.UserControl_Show();
    EXPECT_EQ(b.UserControl.refresh_count(), ++refreshes);

    // A shape without a renderer keeps the region the window was given.
    b.let_ButtonShape(13);
    const HRGN region = register_region(CreateEllipticRgn(0, 0, 60, 60));
    ASSERT_NE(SetWindowRgn(b.UserControl.hWnd(), region, TRUE), 0);
    const Region* before = window_region(b.UserControl.hWnd());
    ASSERT_NE(before, nullptr);
    const Region shape = *before;

    b.UserControl.clear_changed_properties();
    refreshes = b.UserControl.refresh_count();
    PropertyBag was;
    b.UserControl_WriteProperties(was);
    b.ShowAbout();
    b.UserControl.raise_Terminate();

    EXPECT_EQ(b.UserControl.refresh_count(), refreshes);
    EXPECT_TRUE(b.UserControl.changed_properties().empty());
    ASSERT_NE(window_region(b.UserControl.hWnd()), nullptr);
    EXPECT_EQ(*window_region(b.UserControl.hWnd()), shape);
    PropertyBag is;
    b.UserControl_WriteProperties(is);
    EXPECT_EQ(is.stored_form(), was.stored_form());
}

} // namespace button_test
