#include "platform/host/property_bag.h"
#include "tests/support/property_values.h"

#include "platform/errors.h"
#include "tests/support/picture_files.h"

#include <gtest/gtest.h>

#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using test_support::error_number;
using test_support::tahoma;

using namespace platform;
using Bytes = std::vector<uint8_t>;

// Little-endian byte building, for the forms a test spells out.
struct Builder {
    Bytes bytes;
    Builder& u8(uint32_t v) { bytes.push_back(uint8_t(v)); return *this; }
    Builder& u16(uint32_t v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
    Builder& u32(uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Builder& ascii16(const std::string& text)
    {
        for (char c : text)
            u16(uint8_t(c));
        return *this;
    }
    Builder& raw(const Bytes& b) { bytes.insert(bytes.end(), b.begin(), b.end()); return *this; }
    Builder& pad() { while (bytes.size() % 4) u8(0); return *this; }
};

const Bytes font_class = {0x03, 0x52, 0xE3, 0x0B, 0x91, 0x8F, 0xCE, 0x11,
                          0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51};
const Bytes picture_class = {0x04, 0x52, 0xE3, 0x0B, 0x91, 0x8F, 0xCE, 0x11,
                             0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51};

Bytes slice(const Bytes& b, size_t from, size_t count)
{
    return Bytes(b.begin() + long(from), b.begin() + long(from + count));
}

Bytes le32(uint32_t v)
{
    return Builder().u32(v).bytes;
}

// One entry with an ASCII key; `distance` as given.
Bytes entry(uint16_t type, const std::string& key, const Bytes& value, int32_t distance)
{
    Builder b;
    b.u16(type).u16(uint32_t(key.size())).u32(property_key_hash(key)).u32(uint32_t(distance));
    b.ascii16(key).raw(value).pad();
    return b.bytes;
}

// The whole stored form around a bag body (entries only).
Bytes stored(const Bytes& entries)
{
    const uint32_t length = uint32_t(8 + entries.size());
    return Builder().u32(0x0009424C).u32(length).u32(0xB293).u32(length).raw(entries).bytes;
}

Picture picture_of(const Bytes& file)
{
    Picture picture = StdPicture::from_bytes(file);
    EXPECT_TRUE(picture);
    return picture;
}

// A set as the program's buttons store them: every value type, both object classes.
PropertyBag full_set()
{
    PropertyBag bag;
    bag.WriteProperty("_ExtentX", 4260);
    bag.WriteProperty("_ExtentY", 661);
    bag.WriteProperty("ButtonStyle", int16_t(7), 1);
    bag.WriteProperty("BackColor", 0xD8D8D8u, 0x8000000Fu);
    bag.WriteProperty("Caption", "Узнать", "ww");
    bag.WriteProperty("Picture", picture_of(test_pictures::png(16, 16, qRgb(200, 180, 0))), Nothing {});
    bag.WriteProperty("Enabled", false, true);
    bag.WriteProperty("Font", std::make_shared<StdFont>(tahoma(700)), std::make_shared<StdFont>());
    bag.WriteProperty("MouseIcon", picture_of(test_pictures::hand_cursor()), Nothing {});
    bag.WriteProperty("MousePointer", int16_t(99), int16_t(0));
    return bag;
}


TEST(PropertyBagStoredForm, SixteenBitStyleAndShortCaptionAreLaidOutByteForByte)
{
    PropertyBag bag;
    bag.WriteProperty("ButtonStyle", int16_t(7), 1);
    bag.WriteProperty("Caption", "OK", "ww");
    const Bytes form = bag.stored_form();

    ASSERT_EQ(form.size(), 8u + 80u);
    EXPECT_EQ(slice(form, 0, 16), (Bytes {0x4C, 0x42, 0x09, 0x00, 80, 0, 0, 0, 0x93, 0xB2, 0, 0, 80, 0, 0, 0}));

    // buttonstyle: 36 bytes, no padding.
    Builder style;
    style.u16(2).u16(11).u32(property_key_hash("buttonstyle")).u32(36).ascii16("buttonstyle").u16(7);
    EXPECT_EQ(slice(form, 16, 36), style.bytes);

    // caption "OK": 34 bytes padded to 36; the last entry leads back to bag offset 8.
    Builder caption;
    caption.u16(8).u16(7).u32(property_key_hash("caption")).u32(uint32_t(8 - 44)).ascii16("caption");
    caption.u32(2).ascii16("OK").u16(0);
    EXPECT_EQ(slice(form, 52, 36), caption.bytes);
}

TEST(PropertyBagStoredForm, FontAndPictureObjectsFollowTheirClassIdentifiers)
{
    const Bytes cursor = test_pictures::hand_cursor();
    PropertyBag bag;
    bag.WriteProperty("Font", std::make_shared<StdFont>(tahoma(700)), Nothing {});
    bag.WriteProperty("MouseIcon", picture_of(cursor), Nothing {});
    const Bytes form = bag.stored_form();

    const size_t font_value = 16 + 12 + 8; // header, entry header, "font"
    EXPECT_EQ(slice(form, font_value, 16), font_class);
    const Bytes tahoma_bold = {0x01, 0xCC, 0x00, 0x00, 0xBC, 0x02, 0x44, 0x42, 0x01, 0x00, 0x06,
                               'T',  'a',  'h',  'o',  'm',  'a'};
    EXPECT_EQ(slice(form, font_value + 16, tahoma_bold.size()), tahoma_bold);

    const size_t icon_entry = font_value + 16 + tahoma_bold.size() + 3; // padded to 4
    const size_t icon_value = icon_entry + 12 + 2 * 9;                    // "mouseicon"
    EXPECT_EQ(slice(form, icon_value, 16), picture_class);
    EXPECT_EQ(slice(form, icon_value + 16, 4), (Bytes {0x6C, 0x74, 0x00, 0x00}));
    EXPECT_EQ(slice(form, icon_value + 20, 4), le32(uint32_t(cursor.size())));
    EXPECT_EQ(slice(form, icon_value + 24, cursor.size()), cursor);
    EXPECT_EQ(form.size() % 4, 0u);
}

TEST(PropertyBagStoredForm, EveryValueComesBackWithItsType)
{
    PropertyBag bag = full_set();
    StdFont odd = tahoma(400);
    odd.italic = odd.strikethrough = true;
    odd.name = "Шрифт"; // kept in the 8-bit code page
    bag.WriteProperty("Other", std::make_shared<StdFont>(odd), Nothing {});
    bag.WriteProperty("None", Nothing {}, 0);
    bag.WriteProperty("Negative", int32_t(0x80000015u), 0);

    const PropertyBag back = PropertyBag::from_stored(bag.stored_form());
    ASSERT_EQ(back.entries().size(), bag.entries().size());
    for (size_t i = 0; i < bag.entries().size(); ++i) {
        EXPECT_EQ(back.entries()[i].key, bag.entries()[i].key);
        EXPECT_EQ(back.entries()[i].value.vt(), bag.entries()[i].value.vt()) << bag.entries()[i].key;
    }
    EXPECT_EQ(back.ReadProperty("_extentx").to_long(), 4260);
    EXPECT_EQ(back.ReadProperty("buttonstyle").vt(), VT_I2);
    EXPECT_EQ(back.ReadProperty("BackColor").to_long(), 0xD8D8D8);
    EXPECT_EQ(back.ReadProperty("Caption").to_string(), "Узнать");
    EXPECT_FALSE(back.ReadProperty("Enabled", true).to_bool());
    EXPECT_EQ(*back.ReadProperty("Font").to_font(), tahoma(700));
    EXPECT_EQ(*back.ReadProperty("Other").to_font(), odd);
    EXPECT_TRUE(back.ReadProperty("None", 5).is_nothing());
    EXPECT_EQ(uint32_t(back.ReadProperty("Negative").to_long()), 0x80000015u);
    EXPECT_EQ(back.ReadProperty("MousePointer").to_integer(), 99);

    const Picture icon = back.ReadProperty("MouseIcon").to_picture();
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->kind(), StdPicture::Kind::Cursor);
    EXPECT_EQ(icon->hot_spot(), (POINT {10, 3}));
    EXPECT_EQ(icon->bytes(), test_pictures::hand_cursor());
    const Picture glyph = back.ReadProperty("Picture").to_picture();
    ASSERT_TRUE(glyph);
    EXPECT_EQ(glyph->pixel_width(), 16);

    // Storing what was read gives the same bytes again.
    EXPECT_EQ(back.stored_form(), bag.stored_form());
}

// Sets spelled out byte by byte, as another writer may have left them: read and written
// again, each gives its bytes back.
TEST(PropertyBagStoredForm, TextsOfEveryByteAndUnitComeBackAsTheyWere)
{
    // A font name of every 8-bit character but the terminator, 0x98 (unassigned in the code page) among them.
    Builder every_byte;
    for (uint32_t b = 1; b < 256; ++b)
        every_byte.u8(b);
    const auto font = [](const Bytes& name) {
        return Builder().raw(font_class).u8(1).u16(204).u8(0).u16(400).u32(82500).u8(uint32_t(name.size())).raw(name).bytes;
    };
    const auto text = [](std::initializer_list<uint16_t> units) {
        Builder b;
        b.u32(uint32_t(units.size()));
        for (uint16_t u : units)
            b.u16(u);
        return b.bytes;
    };
    struct Case {
        const char* what;
        Bytes entries;
    };
    const Case cases[] = {
        {"font name holding 0x98", entry(VT_DISPATCH, "font", font({'A', 0x98, 'z'}), 0)},
        {"font name of every byte", entry(VT_DISPATCH, "font", font(every_byte.bytes), 0)},
        {"caption with a pair and lone surrogates",
         entry(VT_BSTR, "caption", text({0x041E, 0xD83D, 0xDE00, 0xD800, 'x', 0xDC00, 0x0098, 0xDBFF}), 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes form = stored(c.entries);
        EXPECT_EQ(PropertyBag::from_stored(form).stored_form(), form);
    }
}

TEST(PropertyBagStoredForm, EmptyAndSingleEntrySetsRoundTrip)
{
    PropertyBag empty;
    EXPECT_EQ(empty.stored_form(), stored({}));
    EXPECT_TRUE(PropertyBag::from_stored(stored({})).entries().empty());

    // A lone entry's way back to the first entry is a distance of 0.
    PropertyBag one;
    one.WriteProperty("x", 1);
    const Bytes form = one.stored_form();
    EXPECT_EQ(form, stored(entry(VT_I4, "x", le32(1), 0)));
    EXPECT_EQ(PropertyBag::from_stored(form).ReadProperty("X").to_long(), 1);
}

TEST(PropertyBagStoredForm, SnapshotPictureIsKeptAsAFile)
{
    // Neither a host's snapshot nor a picture loaded from a file keeps a file of its own.
    Surface surface;
    surface.reset(3, 2, RGB(10, 20, 30));
    const Picture pictures[] = {StdPicture::from_surface(surface),
                                StdPicture::loaded_from(test_pictures::png(3, 2, qRgb(10, 20, 30)))};
    for (const Picture& picture : pictures) {
        PropertyBag bag;
        bag.WriteProperty("Picture", picture, Nothing {});
        const Picture back = PropertyBag::from_stored(bag.stored_form()).ReadProperty("Picture").to_picture();
        ASSERT_TRUE(back);
        EXPECT_EQ(back->pixel_width(), 3);
        EXPECT_EQ(back->image().pixel(2, 1), qRgb(10, 20, 30));
    }
}

TEST(PropertyBagKeys, AreKeptInLowerCaseAndFoundWhateverTheirCase)
{
    PropertyBag bag;
    bag.WriteProperty("ButtonStyle", 7, 1);
    bag.WriteProperty("ПОДПИСЬ", "x", "");
    ASSERT_EQ(bag.entries().size(), 2u);
    EXPECT_EQ(bag.entries()[0].key, "buttonstyle");
    EXPECT_EQ(bag.entries()[1].key, "подпись");
    EXPECT_EQ(bag.ReadProperty("BUTTONSTYLE", 1).to_long(), 7);
    EXPECT_EQ(bag.ReadProperty("buttonStyle", 1).to_long(), 7);
    EXPECT_EQ(bag.ReadProperty("Подпись").to_string(), "x");

    // Upper-case keys in a stored form are found too.
    const PropertyBag parsed = PropertyBag::from_stored(stored(entry(VT_I4, "CapTion", le32(3), 0)));
    EXPECT_EQ(parsed.ReadProperty("caption").to_long(), 3);
}

TEST(PropertyBagKeys, MissingKeyGivesTheDefaultWithItsOwnType)
{
    const PropertyBag bag;
    EXPECT_EQ(bag.ReadProperty("MousePointer", int16_t(0)).vt(), VT_I2);
    EXPECT_EQ(bag.ReadProperty("Caption", "ww").to_string(), "ww");
    EXPECT_TRUE(bag.ReadProperty("Picture", Nothing {}).is_nothing());
}

TEST(PropertyBagKeys, WritingTheDefaultLeavesNoEntryAndOverwritingKeepsThePlace)
{
    PropertyBag bag;
    bag.WriteProperty("ButtonShape", 0, 0);
    bag.WriteProperty("ButtonStyle", int16_t(1), 1); // 16 and 32 bits compare by value
    bag.WriteProperty("FocusRect", true, true);
    bag.WriteProperty("Caption", "", "");
    EXPECT_TRUE(bag.entries().empty());

    bag.WriteProperty("A", 1, 0);
    bag.WriteProperty("B", 2, 0);
    bag.WriteProperty("a", 3, 0);
    ASSERT_EQ(bag.entries().size(), 2u);
    EXPECT_EQ(bag.entries()[0].key, "a");
    EXPECT_EQ(bag.ReadProperty("A").to_long(), 3);
    // Writing the default later takes the earlier entry away.
    bag.WriteProperty("A", 0, 0);
    EXPECT_FALSE(bag.contains("a"));

    // A text differs from the empty default, and from a number that looks the same.
    bag.WriteProperty("Caption", "", "ww");
    bag.WriteProperty("Text", "1", 1);
    EXPECT_TRUE(bag.contains("caption"));
    EXPECT_TRUE(bag.contains("text"));
}

TEST(PropertyBagKeys, ObjectsEqualTheirDefaultOnlyWhenBothAreNone)
{
    const auto font = std::make_shared<StdFont>(tahoma(400));
    const Picture picture = picture_of(test_pictures::png(4, 4, qRgb(1, 2, 3)));
    PropertyBag bag;
    bag.WriteProperty("Picture", Picture {}, Nothing {});
    EXPECT_FALSE(bag.contains("picture"));
    bag.WriteProperty("Font", font, font); // the very object of the default
    bag.WriteProperty("MouseIcon", picture, picture);
    EXPECT_TRUE(bag.contains("font"));
    EXPECT_TRUE(bag.contains("mouseicon"));
}

TEST(PropertyBagKeys, AFontIsKeptAsItWasWhenWritten)
{
    auto font = std::make_shared<StdFont>(tahoma(400));
    PropertyBag bag;
    bag.WriteProperty("Font", font, Nothing {});
    font->name = "Arial";
    const auto first = bag.ReadProperty("Font").to_font();
    EXPECT_EQ(first->name, "Tahoma");
    first->size = 20;
    EXPECT_EQ(bag.ReadProperty("Font").to_font()->size, 8.25);
}

TEST(PropertyBagVariant, ConvertsToTheKeysTypeOrFails)
{
    const auto font = std::make_shared<StdFont>();
    const Picture picture = picture_of(test_pictures::png(2, 2, qRgb(1, 2, 3)));
    struct Case {
        const char* what;
        std::function<void()> convert;
        int error; // 0: converts
    };
    const Case cases[] = {
        {"16-bit widens", [] { EXPECT_EQ(Variant(int16_t(-7)).to_long(), -7); }, 0},
        {"numeric text", [] { EXPECT_EQ(Variant(" 42 ").to_long(), 42); }, 0},
        {"fraction rounds to even", [] { EXPECT_EQ(Variant("2.5").to_long(), 2); }, 0},
        {"negative text", [] { EXPECT_EQ(Variant("-3").to_integer(), -3); }, 0},
        {"True is -1", [] { EXPECT_EQ(Variant(true).to_long(), -1); }, 0},
        {"number as text", [] { EXPECT_EQ(Variant(int16_t(5)).to_string(), "5"); }, 0},
        {"Boolean as text", [] { EXPECT_EQ(Variant(false).to_string(), "False"); }, 0},
        {"text True", [] { EXPECT_TRUE(Variant("true").to_bool()); }, 0},
        {"number as Boolean", [] { EXPECT_TRUE(Variant(2).to_bool()); }, 0},
        {"none as picture", [] { EXPECT_FALSE(Variant(Nothing {}).to_picture()); }, 0},
        {"none as font", [] { EXPECT_FALSE(Variant(Nothing {}).to_font()); }, 0},
        {"text no number", [] { (void)Variant("abc").to_long(); }, ERR_TYPE_MISMATCH},
        {"empty text", [] { (void)Variant("").to_long(); }, ERR_TYPE_MISMATCH},
        {"half a number", [] { (void)Variant("12abc").to_long(); }, ERR_TYPE_MISMATCH},
        {"infinity", [] { (void)Variant("inf").to_long(); }, ERR_TYPE_MISMATCH},
        {"text no Boolean", [] { (void)Variant("yes").to_bool(); }, ERR_TYPE_MISMATCH},
        {"16-bit overflow", [] { (void)Variant(32768).to_integer(); }, ERR_OVERFLOW},
        {"16-bit underflow", [] { (void)Variant(-32769).to_integer(); }, ERR_OVERFLOW},
        {"32-bit overflow", [] { (void)Variant("2147483648").to_long(); }, ERR_OVERFLOW},
        {"huge text", [] { (void)Variant("1e400").to_long(); }, ERR_OVERFLOW},
        {"font as number", [font] { (void)Variant(font).to_long(); }, ERR_TYPE_MISMATCH},
        {"font as picture", [font] { (void)Variant(font).to_picture(); }, ERR_TYPE_MISMATCH},
        {"picture as font", [picture] { (void)Variant(picture).to_font(); }, ERR_TYPE_MISMATCH},
        {"number as picture", [] { (void)Variant(0).to_picture(); }, ERR_TYPE_MISMATCH},
        {"picture as text", [picture] { (void)Variant(picture).to_string(); }, ERR_TYPE_MISMATCH},
    };
    for (const Case& c : cases)
        EXPECT_EQ(error_number(c.convert), c.error) << c.what;
}

// Each damaged form is refused with a run-time error, whatever the damage.
TEST(PropertyBagStoredForm, DamagedFormsRaiseRunTimeErrors)
{
    // Two entries of 24 bytes: file offsets 16 and 40, bag length 56.
    Bytes both = entry(VT_I4, "abcd", le32(1), 24);
    const Bytes last = entry(VT_I4, "efgh", le32(2), -24);
    both.insert(both.end(), last.begin(), last.end());
    const Bytes good = stored(both);
    ASSERT_EQ(PropertyBag::from_stored(good).entries().size(), 2u);

    auto with = [&](size_t at, const Bytes& patch) {
        Bytes b = good;
        std::copy(patch.begin(), patch.end(), b.begin() + long(at));
        return b;
    };
    auto cut = [&](size_t keep) { return slice(good, 0, keep); };
    const Bytes bad_font = stored(entry(VT_DISPATCH, "f", Builder().raw(font_class).u8(2).bytes, 0));
    const Bytes long_name =
        stored(entry(VT_DISPATCH, "f", Builder().raw(font_class).u8(1).u16(0).u8(0).u16(400).u32(1).u8(200).bytes, 0));
    auto picture_form = [](uint32_t count, const Bytes& file) {
        return stored(entry(VT_DISPATCH, "p", Builder().raw(picture_class).u32(0x746C).u32(count).raw(file).bytes, 0));
    };
    Bytes unknown_class = font_class;
    unknown_class[0] ^= 1;

    struct Case {
        const char* damage;
        Bytes form;
    };
    const Case cases[] = {
        {"nothing", {}},
        {"half a header", cut(6)},
        {"wrong magic", with(0, {0x4D})},
        {"length past the end", with(4, le32(0x7FFFFFFF))},
        {"length short of the end", with(4, le32(56 - 8 - 4))},
        {"wrong bag magic", with(8, {0x94})},
        {"bag lengths differ", with(12, le32(44))},
        {"truncated in an entry", cut(30)},
        {"truncated, lengths fixed", [&] {
             Bytes b = cut(40);
             const Bytes n = le32(32);
             std::copy(n.begin(), n.end(), b.begin() + 4);
             std::copy(n.begin(), n.end(), b.begin() + 12);
             return b;
         }()},
        {"distance zero", with(16 + 8, le32(0))},
        {"distance loops back early", with(16 + 8, le32(uint32_t(-24)))},
        {"distance past the end", with(16 + 8, le32(1000))},
        {"distance to the very end", with(16 + 8, le32(48))},
        {"distance too short", with(16 + 8, le32(8))},
        {"distance unaligned", with(16 + 8, le32(26))},
        {"last distance misses the first entry", with(40 + 8, le32(uint32_t(-20)))},
        {"negative distance past the start", with(40 + 8, le32(0x80000000))},
        {"key length past the end", with(16 + 2, {0xFF, 0xFF})},
        {"key longer than its entry", with(16 + 2, {5, 0})},
        {"unknown type", with(16, {5, 0})},
        {"empty type", with(16, {0, 0})},
        {"garbage in the padding", stored(entry(VT_I2, "ab", {1, 0, 7, 0}, 0))},
        {"text length past the end", stored(entry(VT_BSTR, "t", le32(0xFFFFFFFF), 0))},
        {"unknown object class", stored(entry(VT_DISPATCH, "o", unknown_class, 0))},
        {"object class cut short", stored(entry(VT_DISPATCH, "o", slice(font_class, 0, 8), 0))},
        {"font version", bad_font},
        {"font name past the end", long_name},
        {"picture tag", stored(entry(VT_DISPATCH, "p", Builder().raw(picture_class).u32(0x1234).u32(0).bytes, 0))},
        {"picture count past the end", picture_form(0xFFFFFFF0, {})},
        {"picture not decodable", picture_form(8, {1, 2, 3, 4, 5, 6, 7, 8})},
    };
    for (const Case& c : cases) {
        const int error = error_number([&] { (void)PropertyBag::from_stored(c.form); });
        EXPECT_NE(error, 0) << c.damage;
    }
    EXPECT_EQ(error_number([&] { (void)PropertyBag::from_stored(picture_form(8, {1, 2, 3, 4, 5, 6, 7, 8})); }),
              ERR_INVALID_PICTURE);
    // An empty picture file stands for none.
    EXPECT_TRUE(PropertyBag::from_stored(picture_form(0, {})).ReadProperty("p", 1).is_nothing());
}

// Random damage to a real set: a run-time error or a bag, never anything else.
TEST(PropertyBagStoredForm, SurvivesRandomDamage)
{
    const Bytes good = full_set().stored_form();
    std::mt19937 random(20240611);
    auto pick = [&](size_t n) { return size_t(random() % std::max<size_t>(n, 1)); };
    const uint32_t interesting[] = {0, 1, 4, 8, 12, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFFFFF8, 0x10000};

    // The picture decoder complains about every damaged file it sees; that is expected here.
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const auto stop = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    int parsed = 0;
    int runs = 0;
    for (; runs < 20000 && std::chrono::steady_clock::now() < stop; ++runs) {
        Bytes b = good;
        const int mutations = 1 + int(pick(4));
        for (int m = 0; m < mutations && !b.empty(); ++m) {
            switch (pick(5)) {
            case 0: b[pick(b.size())] ^= uint8_t(1u << pick(8)); break;
            case 1: b[pick(b.size())] = uint8_t(random()); break;
            case 2: b.resize(pick(b.size())); break;
            case 3: {
                const size_t at = pick(b.size() / 4) * 4;
                const Bytes v = le32(interesting[pick(std::size(interesting))]);
                std::copy(v.begin(), v.begin() + long(std::min<size_t>(4, b.size() - at)), b.begin() + long(at));
                break;
            }
            default: b.insert(b.begin() + long(pick(b.size())), uint8_t(random())); break;
            }
        }
        try {
            const PropertyBag bag = PropertyBag::from_stored(b);
            ++parsed;
            (void)bag.stored_form();
        } catch (const RuntimeError&) {
        }
    }
    qInstallMessageHandler(previous);
    RecordProperty("runs", runs);
    // Some damage leaves a readable set (a changed colour, say); most does not.
    EXPECT_GT(parsed, 0);
}

} // namespace
