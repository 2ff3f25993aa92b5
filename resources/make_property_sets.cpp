// Writes the saved property sets of the program's fourteen buttons into their window
// definitions: make_property_sets RESOURCES_DIR
//
// Each set holds what the stored instance had: style 7 with its preset face colours,
// the border colours its last repaint left, its caption, glyph, font and mouse icon.

#include "platform/codepage.h"
#include "platform/host/property_bag.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

using platform::PropertyBag;
using platform::Variant;

struct ButtonSet {
    const char* form;
    const char* name;
    int32_t extent_x, extent_y;
    bool style_in_16_bits;
    uint32_t border;
    const char* caption;
    int16_t weight;
    const char* picture;     // file in pictures/, or nullptr
    const char* mouse_icon;  // file in pictures/
    bool disabled;
};

constexpr ButtonSet sets[] = {
    {"Form1", "ww1", 4260, 661, false, 0x8F8F8E, "Узнать", 700, nullptr, "hand.cur", false},
    {"Form1", "ww2", 3969, 661, false, 0xB5B2AD, "Получить код", 700, nullptr, "pointer_eight.ico", true},
    {"Form1", "ww3", 4260, 661, false, 0x8F8F8E, "Скриншот сайта", 700, nullptr, "hand.cur", false},
    {"Form1", "ww4", 661, 661, false, 0x8F8F8E, "", 400, "glyph_sunflower.gif", "hand.cur", false},
    {"Form1", "ww5", 661, 661, false, 0x8F8F8E, "", 400, "glyph_information.gif", "hand.cur", false},
    {"Form1", "ww6", 661, 661, false, 0x8F8F8E, "", 400, "glyph_red_cross.gif", "hand.cur", false},
    {"Form1", "ww7", 661, 661, false, 0x8F8F8E, "", 400, "glyph_house.gif", "hand.cur", false},
    {"Form1", "ww8", 661, 661, false, 0x8F8F8E, "", 400, "glyph_chart.gif", "hand.cur", false},
    {"Form1", "ww9", 873, 661, false, 0x8F8F8E, "", 400, "glyph_magnifier.gif", "hand.cur", false},
    {"Form2", "ww1", 661, 661, true, 0x8F8F8E, "", 400, "glyph_sunflower.gif", "hand.cur", false},
    {"Form2", "ww2", 661, 661, true, 0x8F8F8E, "", 400, "glyph_chart.gif", "hand.cur", false},
    {"Form5", "ww1", 661, 661, true, 0x8F8F8E, "", 400, "glyph_chart.gif", "hand.cur", false},
    {"Form6", "ww1", 661, 661, true, 0x8F8F8E, "", 400, "glyph_sunflower.gif", "hand.cur", false},
    {"Form7", "ww1", 1085, 1720, true, 0x8F8F8E, "OK", 700, nullptr, "hand.cur", false},
};

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        std::exit(1);
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

platform::Picture picture_file(const std::string& dir, const char* name)
{
    const std::string bytes = read_file(dir + "/pictures/" + name);
    auto picture = platform::StdPicture::from_bytes(
        {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    if (!picture) {
        std::fprintf(stderr, "not a picture: %s\n", name);
        std::exit(1);
    }
    return picture;
}

// Entries in the order the container and then the control write them.
std::vector<uint8_t> stored_set(const std::string& dir, const ButtonSet& s)
{
    PropertyBag bag;
    bag.WriteProperty("_extentx", Variant(s.extent_x));
    bag.WriteProperty("_extenty", Variant(s.extent_y));
    bag.WriteProperty("ButtonStyle", s.style_in_16_bits ? Variant(int16_t(7)) : Variant(int32_t(7)));
    bag.WriteProperty("BackColor", Variant(int32_t(0xD8D8D8)));
    bag.WriteProperty("BackColorPressed", Variant(int32_t(0xEFCE92)));
    bag.WriteProperty("BackColorHover", Variant(int32_t(0xF7DBA5)));
    bag.WriteProperty("BorderColor", Variant(int32_t(s.border)));
    bag.WriteProperty("BorderColorPressed", Variant(int32_t(0x5C411D)));
    bag.WriteProperty("BorderColorHover", Variant(int32_t(0xB17F3C)));
    bag.WriteProperty("Caption", Variant(std::string(s.caption)));
    if (s.picture)
        bag.WriteProperty("Picture", Variant(picture_file(dir, s.picture)));
    if (s.disabled)
        bag.WriteProperty("Enabled", Variant(false));
    auto font = std::make_shared<platform::StdFont>();
    font->name = "Tahoma";
    font->size = 8.25;
    font->charset = 204;
    font->weight = s.weight;
    bag.WriteProperty("Font", Variant(font));
    bag.WriteProperty("MouseIcon", Variant(picture_file(dir, s.mouse_icon)));
    bag.WriteProperty("MousePointer", Variant(int16_t(99)));
    return bag.stored_form();
}

std::string hex(const std::vector<uint8_t>& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// Replaces the PropertySet line of block `name` in a definition kept in code page 1251;
// only that ASCII line changes.
bool put_set(std::string& definition, const std::string& name, const std::string& line)
{
    const std::string header = "    ww " + name + "\n";
    size_t at = definition.find(header);
    if (at == std::string::npos)
        return false;
    const size_t key = definition.find("PropertySet = bytes(", at);
    const size_t end = definition.find('\n', key);
    if (key == std::string::npos || end == std::string::npos || definition.find("\n    end", at) < key)
        return false;
    definition.replace(key, end - key, line);
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_property_sets RESOURCES_DIR\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    const std::string dir = argv[1];
    for (const auto& s : sets) {
        const std::string path = dir + "/windows/" + s.form + ".window";
        std::string definition = read_file(path);
        if (!put_set(definition, s.name, "PropertySet = bytes(" + hex(stored_set(dir, s)) + ")")) {
            std::fprintf(stderr, "%s: no property set line for %s\n", path.c_str(), s.name);
            return 1;
        }
        std::ofstream(path, std::ios::binary) << definition;
    }
    return 0;
}
