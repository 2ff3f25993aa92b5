#include "platform/gdi/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <string>

#include <time.h>

namespace {

using namespace platform;

constexpr COLORREF ink = RGB(0x12, 0x34, 0x56);

// Every pixel differs from its neighbours, so a pixel the text should have kept shows.
COLORREF background(int x, int y)
{
    return RGB(uint8_t(200 + x % 50), uint8_t(200 + y % 50), 0xF0);
}

Surface patterned(int width, int height)
{
    Surface surface(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            surface.set_pixel(x, y, background(x, y));
    return surface;
}

StdFont font(const char* name, bool bold)
{
    StdFont f;
    f.name = name;
    f.set_bold(bold);
    return f;
}

SIZE extent(DeviceContext& dc, const std::string& text)
{
    SIZE size {-1, -1};
    EXPECT_EQ(GetTextExtentPoint32A(&dc, text.data(), int(text.size()), &size), TRUE);
    return size;
}

// What a call left on a patterned surface: changed pixels, and their bounds.
struct Ink {
    int count = 0;
    int stray = 0; // changed to something other than the text colour
    RECT bounds {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
};

Ink ink_on(const Surface& surface)
{
    Ink result;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            const COLORREF p = surface.pixel(x, y);
            if (p == background(x, y))
                continue;
            ++result.count;
            result.stray += p != ink;
            result.bounds = {std::min(result.bounds.left, x), std::min(result.bounds.top, y),
                             std::max(result.bounds.right, x + 1), std::max(result.bounds.bottom, y + 1)};
        }
    }
    return result;
}

Surface drawn(const StdFont& f, const std::string& text, int x, int y, int width = 100, int height = 24)
{
    Surface surface = patterned(width, height);
    DeviceContext dc(surface);
    dc.font = f;
    dc.text_colour = ink;
    EXPECT_EQ(TextOutA(&dc, x, y, text.data(), int(text.size())), TRUE);
    return surface;
}

TEST(Text, CaptionsMeasureAndDrawInTheTextColourInsideTheirCell)
{
    // cy is GDI's tmHeight: Tahoma at 11 px has ascent 11 and descent 2 (its VDMX);
    // MS Sans Serif draws its 13 px strike.
    StdFont underlined = font("Tahoma", false);
    underlined.underline = true;
    underlined.strikethrough = true;
    const struct {
        StdFont font;
        std::string text;
        SIZE size;
    } cases[] = {
        {font("Tahoma", true), "Узнать", {39, 13}},
        {font("Tahoma", true), "Получить код", {78, 13}},
        {font("Tahoma", false), "Получить код", {68, 13}},
        {underlined, "Узнать", {34, 13}},
        {StdFont {}, "Hello, Йg", {44, 13}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.font.name + " " + c.text);
        Surface surface = patterned(100, 24);
        DeviceContext dc(surface);
        dc.font = c.font;
        EXPECT_EQ(extent(dc, c.text), c.size);

        const Ink result = ink_on(drawn(c.font, c.text, 5, 3));
        EXPECT_GT(result.count, 20);
        EXPECT_EQ(result.stray, 0);
        EXPECT_GE(result.bounds.left, 5);
        EXPECT_GE(result.bounds.top, 3);
        EXPECT_LE(result.bounds.bottom, 3 + c.size.cy);
        // Each of these ends in a glyph whose ink fills its advance: drawn and measured agree.
        EXPECT_EQ(result.bounds.right, 5 + c.size.cx);
    }
}

TEST(Text, BaselineLiesAtTheCellTopPlusAscent)
{
    // "H" sits on the baseline: its lowest ink row is the last one above it.
    const Ink result = ink_on(drawn(font("Tahoma", true), "H", 0, 4));
    EXPECT_EQ(result.bounds.bottom, 4 + 11);
    EXPECT_EQ(result.bounds.top, 4 + 11 - 8); // cap height 8 px
}

TEST(Text, CyrillicDrawsItsOwnGlyphs)
{
    // Undecoded text or a missing glyph would draw like the question marks.
    const StdFont bold = font("Tahoma", true);
    const Surface cyrillic = drawn(bold, "Узнать", 2, 2);
    const Surface unknown = drawn(bold, "??????", 2, 2);
    EXPECT_NE(ink_on(cyrillic).count, 0);
    EXPECT_FALSE(std::equal(cyrillic.pixels().begin(), cyrillic.pixels().end(), unknown.pixels().begin()));
}

TEST(Text, ClippedTextKeepsThePixelsItWouldDrawUnclipped)
{
    // A 20x8 surface shows a window of the same text drawn on a big one at (x + 40, y + 20).
    const StdFont bold = font("Tahoma", true);
    const std::string text = "Получить";
    const Surface whole = drawn(bold, text, 40 - 9, 20 - 5, 120, 50);
    Surface unused;
    DeviceContext measuring(unused);
    measuring.font = bold;
    const int end = extent(measuring, text).cx; // the window's middle at the text's right end: 10 - end
    const struct {
        int x, y;
    } origins[] = {{-9, -5}, {5, 2}, {15, 4}, {-30, -3}, {10 - end, 0}, {10 - end, -6}, {-200, 0}, {0, 30},
                   {INT_MIN, 0}, {0, INT_MAX}, {INT_MAX, INT_MIN}};
    for (auto [x, y] : origins) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        Surface window = drawn(bold, text, x, y, 20, 8);
        for (int wy = 0; wy < 8; ++wy) {
            for (int wx = 0; wx < 20; ++wx) {
                const int64_t bx = int64_t(wx) - x + (40 - 9), by = int64_t(wy) - y + (20 - 5);
                const bool inked = bx >= 0 && by >= 0 && bx < 120 && by < 50 && whole.pixel(int(bx), int(by)) == ink;
                ASSERT_EQ(window.pixel(wx, wy), inked ? ink : background(wx, wy)) << wx << "," << wy;
            }
        }
    }
}

TEST(Text, NoTextDrawsNothingAndMeasuresTheCellHeight)
{
    Surface surface = patterned(10, 10);
    DeviceContext dc(surface);
    dc.font = font("Tahoma", true);
    SIZE size {-1, -1};
    EXPECT_EQ(GetTextExtentPoint32A(&dc, "", 0, &size), TRUE);
    EXPECT_EQ(size, (SIZE {0, 13}));
    EXPECT_EQ(GetTextExtentPoint32A(&dc, nullptr, 0, &size), TRUE);
    EXPECT_EQ(TextOutA(&dc, 0, 0, "abc", 0), TRUE);

    // Refused: a negative count, a null text with a count, no context, nowhere to answer.
    EXPECT_EQ(TextOutA(&dc, 0, 0, "abc", -1), FALSE);
    EXPECT_EQ(TextOutA(&dc, 0, 0, nullptr, 3), FALSE);
    EXPECT_EQ(TextOutA(nullptr, 0, 0, "abc", 3), FALSE);
    EXPECT_EQ(GetTextExtentPoint32A(&dc, "abc", -1, &size), FALSE);
    EXPECT_EQ(size, (SIZE {0, 0}));
    EXPECT_EQ(GetTextExtentPoint32A(nullptr, "abc", 3, &size), FALSE);
    EXPECT_EQ(GetTextExtentPoint32A(&dc, "abc", 3, nullptr), FALSE);
    EXPECT_EQ(ink_on(surface).count, 0);
}

TEST(Text, CountBoundsTheBytesReadAndBadUtf8IsDecodedLeniently)
{
    Surface surface = patterned(60, 20);
    DeviceContext dc(surface);
    dc.font = font("Tahoma", true);

    // Exactly `count` bytes, with no terminator after them: "У" and the first byte of "з".
    const std::array<char, 3> cut {'\xD0', '\xA3', '\xD0'};
    SIZE size;
    ASSERT_EQ(GetTextExtentPoint32A(&dc, cut.data(), 2, &size), TRUE);
    EXPECT_EQ(size, extent(dc, "У"));

    // U+009C is a length-variant separator to Qt's measuring, an unknown character here.
    const std::string bad[] = {{cut.data(), cut.size()}, "\xFF\xFE", "a\xC3", "\xE0\x80\x80z", {"a\0b", 3},
                               "x\xC2\x9Cyy"};
    for (const std::string& text : bad) {
        SCOPED_TRACE(text);
        const SIZE measured = extent(dc, text);
        EXPECT_EQ(measured.cy, 13);
        const Ink result = ink_on(drawn(dc.font, text, 2, 2));
        EXPECT_EQ(result.stray, 0);
        EXPECT_LE(result.bounds.right, 2 + measured.cx);
    }
}

TEST(Text, ResolvedFontFollowsTheFontObject)
{
    Surface surface(10, 10);
    DeviceContext dc(surface);
    dc.font = font("Tahoma", true);
    const SIZE bold = extent(dc, "Узнать");
    const auto* cached = dc.resolved_font.get();
    ASSERT_NE(cached, nullptr);
    extent(dc, "Узнать");
    EXPECT_EQ(dc.resolved_font.get(), cached);

    dc.font.set_bold(false);
    EXPECT_EQ(extent(dc, "Узнать"), (SIZE {34, 13}));
    EXPECT_NE(extent(dc, "Узнать"), bold);
    dc.font.size = 12; // 16 px
    EXPECT_GT(extent(dc, "Узнать").cy, 13);
    dc.font = font("Tahoma", true);
    EXPECT_EQ(extent(dc, "Узнать"), bold);
}

TEST(Text, AHugeTextIsMeasuredInFullButInkedOnlyOverItsFirst32767Pixels)
{
    const std::string text(200000, 'W');
    auto changed_when_drawn_at = [&](int x) {
        Surface surface = patterned(20, 20);
        DeviceContext dc(surface);
        dc.font = font("Tahoma", false);
        EXPECT_GT(extent(dc, text).cx, 100000);
        EXPECT_EQ(TextOutA(&dc, x, 0, text.data(), int(text.size())), TRUE);
        int changed = 0;
        for (int y = 0; y < 20; ++y)
            for (int column = 0; column < 20; ++column)
                changed += surface.pixel(column, y) != background(column, y);
        return changed;
    };
    EXPECT_GT(changed_when_drawn_at(-100), 0);
    EXPECT_EQ(changed_when_drawn_at(-40000), 0);
}

double thread_seconds()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

TEST(Text, AHugeFontCostsOnlyWhatTheSurfaceShows)
{
    // The largest size a stored font carries (0xFFFFFFFF ten-thousandths of a point), on a
    // button of the program's size: its cell is far bigger than the surface.
    StdFont huge = font("Tahoma", false);
    huge.size = 429496.7295;
    std::string caption;
    for (int i = 0; i < 400; ++i)
        caption += "Ж";
    Surface unused;
    DeviceContext measuring(unused);
    measuring.font = huge;
    const SIZE letter = extent(measuring, "Ж");
    ASSERT_GT(letter.cy, 500);

    // Measured in full, and drawn over the first letters exactly as a short text is.
    const double start = thread_seconds();
    EXPECT_EQ(extent(measuring, caption), (SIZE {400 * letter.cx, letter.cy}));
    const struct {
        int x, y;
    } origins[] = {{0, 0}, {-letter.cx / 2, -letter.cy / 2}, {20 - letter.cx, -letter.cy / 3}, {100, 10}};
    int inked = 0;
    for (auto [x, y] : origins) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        const Surface long_text = drawn(huge, caption, x, y, 161, 25);
        const Surface short_text = drawn(huge, "ЖЖ", x, y, 161, 25);
        EXPECT_TRUE(std::equal(long_text.pixels().begin(), long_text.pixels().end(), short_text.pixels().begin()));
        EXPECT_EQ(ink_on(long_text).stray, 0);
        inked += ink_on(long_text).count;
    }
    EXPECT_GT(inked, 161 * 25);
    // Laying out and inking the whole text's cell took about a second and a third of a
    // gigabyte; the surface's part takes milliseconds.
    EXPECT_LT(thread_seconds() - start, 0.3);
}

TEST(Text, LettersStayApartAndBoldMsSansSerifIsBold)
{
    Surface surface(10, 10);
    DeviceContext dc(surface);
    dc.font = font("MS Sans Serif", false);
    // No ligature: "TM" is as wide as its two letters.
    EXPECT_EQ(extent(dc, "TM").cx, extent(dc, "T").cx + extent(dc, "M").cx);
    auto ink_of = [](bool bold) {
        Surface canvas(60, 20, 0xFFFFFF);
        DeviceContext text_dc(canvas);
        text_dc.font = font("MS Sans Serif", bold);
        TextOutA(&text_dc, 2, 2, "HTML", 4);
        return std::count(canvas.pixels().begin(), canvas.pixels().end(), Surface::stored(0));
    };
    EXPECT_GT(ink_of(true), ink_of(false) * 5 / 4);
}

} // namespace
