// The saved property sets the program's fourteen buttons carry in their window
// definitions: every entry, in order, with its stored type and value.

#include "app/program.h"
#include "button/ww_persist.h"
#include "platform/host/property_bag.h"

#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace {

using platform::PropertyBag;
using platform::VARTYPE;

struct ProgramSet {
    const char* form;
    const char* name;
    int32_t extent_x, extent_y;
    VARTYPE style_type;
    uint32_t border;
    const char* caption;
    int16_t weight;
    const char* glyph;      // a file of resources/pictures, or nullptr
    bool eight_image_icon;  // the mouse icon; otherwise the hand cursor
    bool disabled;
};

using platform::VT_I2;
using platform::VT_I4;

void PrintTo(const ProgramSet& s, std::ostream* out) { *out << s.form << "." << s.name; }

const ProgramSet sets[] = {
    {"Form1", "ww1", 4260, 661, VT_I4, 0x8F8F8E, "Узнать", 700, nullptr, false, false},
    {"Form1", "ww2", 3969, 661, VT_I4, 0xB5B2AD, "Получить код", 700, nullptr, true, true},
    {"Form1", "ww3", 4260, 661, VT_I4, 0x8F8F8E, "Скриншот сайта", 700, nullptr, false, false},
    {"Form1", "ww4", 661, 661, VT_I4, 0x8F8F8E, "", 400, "glyph_sunflower.gif", false, false},
    {"Form1", "ww5", 661, 661, VT_I4, 0x8F8F8E, "", 400, "glyph_information.gif", false, false},
    {"Form1", "ww6", 661, 661, VT_I4, 0x8F8F8E, "", 400, "glyph_red_cross.gif", false, false},
    {"Form1", "ww7", 661, 661, VT_I4, 0x8F8F8E, "", 400, "glyph_house.gif", false, false},
    {"Form1", "ww8", 661, 661, VT_I4, 0x8F8F8E, "", 400, "glyph_chart.gif", false, false},
    {"Form1", "ww9", 873, 661, VT_I4, 0x8F8F8E, "", 400, "glyph_magnifier.gif", false, false},
    {"Form2", "ww1", 661, 661, VT_I2, 0x8F8F8E, "", 400, "glyph_sunflower.gif", false, false},
    {"Form2", "ww2", 661, 661, VT_I2, 0x8F8F8E, "", 400, "glyph_chart.gif", false, false},
    {"Form5", "ww1", 661, 661, VT_I2, 0x8F8F8E, "", 400, "glyph_chart.gif", false, false},
    {"Form6", "ww1", 661, 661, VT_I2, 0x8F8F8E, "", 400, "glyph_sunflower.gif", false, false},
    {"Form7", "ww1", 1085, 1720, VT_I2, 0x8F8F8E, "OK", 700, nullptr, false, false},
};

std::vector<uint8_t> embedded_picture(const std::string& file)
{
    QFile in(QString::fromStdString(":/pictures/" + file));
    if (!in.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = in.readAll();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

uint32_t u32_at(const std::vector<uint8_t>& bytes, size_t at)
{
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

// The images an icon or cursor file lists: (width, height, bits per pixel), sorted.
std::vector<std::tuple<int, int, int>> icon_directory(const std::vector<uint8_t>& file)
{
    std::vector<std::tuple<int, int, int>> images;
    if (file.size() < 6)
        return images;
    const size_t count = size_t(file[4] | file[5] << 8);
    for (size_t i = 0; i < count && 6 + 16 * (i + 1) <= file.size(); ++i) {
        const uint8_t* entry = file.data() + 6 + 16 * i;
        const int side_w = entry[0] ? entry[0] : 256, side_h = entry[1] ? entry[1] : 256;
        images.emplace_back(side_w, side_h, entry[6] | entry[7] << 8);
    }
    std::sort(images.begin(), images.end());
    return images;
}

class ProgramPropertySets : public ::testing::TestWithParam<ProgramSet> {};

TEST_P(ProgramPropertySets, HoldEveryEntryOfTheStoredInstance)
{
    const ProgramSet& s = GetParam();
    const platform::WindowDefinition definition = app::embedded_definition(s.form);
    const platform::ControlDefinition* control = nullptr;
    for (const auto& c : definition.children)
        if (c.kind == "ww" && c.name == s.name)
            control = &c;
    ASSERT_NE(control, nullptr);
    const std::vector<uint8_t>* stored = control->bytes("PropertySet");
    ASSERT_NE(stored, nullptr);
    ASSERT_GE(stored->size(), 16u);

    // The stored form's frame, and the writer giving back the same bytes.
    EXPECT_EQ(u32_at(*stored, 0), 0x0009424Cu);
    EXPECT_EQ(u32_at(*stored, 4), stored->size() - 8);
    EXPECT_EQ(u32_at(*stored, 8), 0x0000B293u);
    EXPECT_EQ(u32_at(*stored, 12), stored->size() - 8);
    const PropertyBag bag = PropertyBag::from_stored(*stored);
    EXPECT_TRUE(bag.stored_form() == *stored) << "written again, the set's bytes differ";

    std::vector<std::string> keys = {"_extentx", "_extenty", "buttonstyle", "backcolor", "backcolorpressed",
                                     "backcolorhover", "bordercolor", "bordercolorpressed", "bordercolorhover",
                                     "caption"};
    if (s.glyph)
        keys.push_back("picture");
    if (s.disabled)
        keys.push_back("enabled");
    keys.insert(keys.end(), {"font", "mouseicon", "mousepointer"});
    std::vector<std::string> found;
    for (const auto& e : bag.entries())
        found.push_back(e.key);
    EXPECT_EQ(found, keys);

    auto value = [&](const char* key) { return bag.ReadProperty(key); };
    struct Number {
        const char* key;
        VARTYPE type;
        int32_t value;
    };
    const Number numbers[] = {
        {"_extentx", VT_I4, s.extent_x},
        {"_extenty", VT_I4, s.extent_y},
        {"buttonstyle", s.style_type, 7},
        {"backcolor", VT_I4, 0xD8D8D8},
        {"backcolorpressed", VT_I4, 0xEFCE92},
        {"backcolorhover", VT_I4, 0xF7DBA5},
        {"bordercolor", VT_I4, int32_t(s.border)},
        {"bordercolorpressed", VT_I4, 0x5C411D},
        {"bordercolorhover", VT_I4, 0xB17F3C},
        {"mousepointer", VT_I2, 99},
    };
    for (const Number& n : numbers) {
        EXPECT_EQ(value(n.key).vt(), n.type) << n.key;
        EXPECT_EQ(value(n.key).to_long(), n.value) << n.key;
    }
    // The container's extents are the definition's size in HIMETRIC.
    EXPECT_EQ(button::twips_to_himetric(control->integer("Width")), s.extent_x);
    EXPECT_EQ(button::twips_to_himetric(control->integer("Height")), s.extent_y);

    EXPECT_EQ(value("caption").vt(), platform::VT_BSTR);
    EXPECT_EQ(value("caption").to_string(), s.caption);
    if (s.disabled) {
        EXPECT_EQ(value("enabled").vt(), platform::VT_BOOL);
        EXPECT_FALSE(value("enabled").to_bool());
    }

    ASSERT_EQ(value("font").vt(), platform::VT_DISPATCH);
    const auto font = value("font").to_font();
    ASSERT_NE(font, nullptr);
    platform::StdFont want_font;
    want_font.name = "Tahoma";
    want_font.size = 8.25;
    want_font.charset = 204;
    want_font.weight = s.weight;
    EXPECT_TRUE(*font == want_font) << font->name << " " << font->size << " pt, weight " << font->weight
                                    << ", character set " << font->charset;

    if (s.glyph) {
        ASSERT_EQ(value("picture").vt(), platform::VT_DISPATCH);
        const platform::Picture glyph = value("picture").to_picture();
        ASSERT_NE(glyph, nullptr);
        EXPECT_EQ(glyph->pixel_width(), 16);
        EXPECT_EQ(glyph->pixel_height(), 16);
        ASSERT_GE(glyph->bytes().size(), 6u);
        EXPECT_EQ(std::string(glyph->bytes().begin(), glyph->bytes().begin() + 4), "GIF8");
        EXPECT_TRUE(glyph->bytes() == embedded_picture(s.glyph)) << "not the " << s.glyph << " glyph";
    }

    ASSERT_EQ(value("mouseicon").vt(), platform::VT_DISPATCH);
    const platform::Picture icon = value("mouseicon").to_picture();
    ASSERT_NE(icon, nullptr);
    using Images = std::vector<std::tuple<int, int, int>>;
    if (s.eight_image_icon) {
        EXPECT_EQ(icon->kind(), platform::StdPicture::Kind::Icon);
        EXPECT_EQ(icon_directory(icon->bytes()), (Images {{16, 16, 8}, {16, 16, 32}, {24, 24, 32}, {32, 32, 8},
                                                          {32, 32, 32}, {48, 48, 8}, {48, 48, 32}, {128, 128, 32}}));
    } else {
        EXPECT_EQ(icon->kind(), platform::StdPicture::Kind::Cursor);
        EXPECT_EQ(icon->pixel_width(), 32);
        EXPECT_EQ(icon->pixel_height(), 32);
        EXPECT_TRUE(icon->bytes() == embedded_picture("hand.cur")) << "not the hand cursor";
    }
}

INSTANTIATE_TEST_SUITE_P(Buttons, ProgramPropertySets, ::testing::ValuesIn(sets), [](const auto& info) {
    return std::string(info.param.form) + "_" + info.param.name;
});

} // namespace
