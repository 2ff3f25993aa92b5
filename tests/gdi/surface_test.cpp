// The surface puts off whole fills and shares the pixels of its copies; whatever it puts off,
// every pixel must read as if each write had happened at once, on every copy.

#include "platform/gdi/surface.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace platform;

constexpr int W = 5, H = 4;
constexpr COLORREF A = 0x102030, B = 0x405060, C = 0x708090, D = 0xA0B0C0;

// One step of a script: a write, or taking, dropping or reading a copy named by `slot`.
struct Step {
    enum Kind { Fill, Span, Column, Pixel, Put, Copy, Drop, Read } kind;
    int a = 0, b = 0, c = 0; // y, x0, x1 | x, y0, y1 | x, y | y, x0
    COLORREF colour = 0;
    int slot = 0;
};

Step fill(COLORREF c) { return {Step::Fill, 0, 0, 0, c}; }
Step span(int y, int x0, int x1, COLORREF c) { return {Step::Span, y, x0, x1, c}; }
Step column(int x, int y0, int y1, COLORREF c) { return {Step::Column, x, y0, y1, c}; }
Step pixel(int x, int y, COLORREF c) { return {Step::Pixel, x, y, 0, c}; }
Step put(int y, int x0) { return {Step::Put, y, x0, 0, 0}; }
Step copy(int slot) { return {Step::Copy, 0, 0, 0, 0, slot}; }
Step drop(int slot) { return {Step::Drop, 0, 0, 0, 0, slot}; }
Step read() { return {Step::Read}; }

const std::vector<COLORREF> ramp = {A, B, C, D, A, B, C};

// The same writes done at once on plain rows of colours.
struct Plain {
    int width, height;
    std::vector<COLORREF> pixels;
    void set(int x, int y, COLORREF c)
    {
        if (x >= 0 && y >= 0 && x < width && y < height)
            pixels[size_t(y * width + x)] = c;
    }
    void apply(const Step& s)
    {
        switch (s.kind) {
        case Step::Fill: pixels.assign(pixels.size(), s.colour); break;
        case Step::Span: for (int x = s.b; x < s.c; ++x) set(x, s.a, s.colour); break;
        case Step::Column: for (int y = s.b; y < s.c; ++y) set(s.a, y, s.colour); break;
        case Step::Pixel: set(s.a, s.b, s.colour); break;
        case Step::Put: for (size_t i = 0; i < ramp.size(); ++i) set(s.b + int(i), s.a, ramp[i]); break;
        default: break;
        }
    }
};

void apply(Surface& surface, const Step& s)
{
    switch (s.kind) {
    case Step::Fill: surface.fill(s.colour); break;
    case Step::Span: surface.fill_span(s.a, s.b, s.c, s.colour); break;
    case Step::Column: surface.fill_column(s.a, s.b, s.c, s.colour); break;
    case Step::Pixel: surface.set_pixel(s.a, s.b, s.colour); break;
    case Step::Put: surface.put_span(s.a, s.b, ramp); break;
    default: break;
    }
}

void expect_same(const Surface& surface, const Plain& plain, const std::string& what)
{
    ASSERT_EQ(surface.width(), plain.width) << what;
    for (int y = 0; y < plain.height; ++y)
        for (int x = 0; x < plain.width; ++x)
            ASSERT_EQ(surface.pixel(x, y), plain.pixels[size_t(y * plain.width + x)])
                << what << " at " << x << "," << y;
    const auto stored = surface.pixels();
    for (size_t i = 0; i < plain.pixels.size(); ++i)
        ASSERT_EQ(Surface::colour_of(stored[i]), plain.pixels[i]) << what << " stored at " << i;
}

TEST(Surface, ReadsAsIfEveryWriteHappenedAtOnceOnEveryCopy)
{
    struct Case {
        const char* name;
        int width;
        std::vector<Step> steps;
    };
    const std::vector<Case> cases = {
        {"a part of a row after a fill", W, {fill(A), span(1, 1, 3, B)}},
        {"whole rows at both edges of the fill, then a pixel between",
         W, {fill(A), span(0, 0, W, B), span(H - 1, -2, W + 9, C), pixel(1, 1, D)}},
        {"a whole row inside the fill's rows", W, {fill(A), span(2, 0, W, B), pixel(4, 3, C)}},
        {"whole rows from the top, then over rows already written",
         W, {fill(A), span(0, 0, W, B), span(1, 0, W, C), span(0, 0, W, D), span(2, 1, W, B)}},
        {"a fill over written pixels", W, {fill(A), pixel(0, 0, B), span(3, 0, W, C), fill(D)}},
        {"a column through the fill's rows", W, {fill(A), span(0, 0, W, B), column(1, -3, H + 3, C)}},
        {"a column one row long at an edge of the fill's rows", W, {fill(A), column(2, 0, 1, B), column(3, H - 1, H, C)}},
        {"a column on a surface one pixel wide is a whole row",
         1, {fill(A), column(0, 0, 1, B), column(0, 1, 3, C), column(0, H - 1, H, D)}},
        {"colours put along a whole row and along a part",
         W, {fill(A), put(0, -1), put(H - 1, 0), put(2, 3), put(1, -9)}},
        {"a write after a copy leaves the copy as it was",
         W, {fill(A), pixel(0, 0, B), copy(1), pixel(1, 1, C), span(2, 0, W, D)}},
        {"a write after a copy of written rows leaves the copy as it was",
         W, {fill(A), column(0, 0, H, B), copy(1), column(4, 0, H, C), copy(2), pixel(2, 2, C), copy(3), span(1, 1, 3, D)}},
        {"a copy taken while the fill waits", W, {fill(A), copy(1), span(0, 0, W, B), pixel(2, 2, C), read()}},
        {"a copy of a copy, each written after", W, {fill(A), copy(1), pixel(0, 1, B), copy(2), pixel(0, 2, C)}},
        {"a copy read before the surface writes again", W, {fill(A), span(1, 0, W, B), copy(1), read(), fill(C), pixel(0, 0, D)}},
        // Each paint draws every row, then hands its image to a copy.
        {"repaints that hand each image to a copy, the older copy let go",
         W,
         {fill(A), column(0, 0, H, B), copy(1), fill(C), span(0, 0, W, D), column(1, 0, H, B), copy(2), drop(1),
          fill(D), column(2, 0, H, A), copy(1), drop(2), fill(B), span(H - 1, 0, W, C), column(3, 0, H, A)}},
        {"repaints that hand each image to a copy, every copy kept",
         W,
         {fill(A), column(0, 0, H, B), copy(1), fill(C), column(1, 0, H, D), copy(2), fill(D), span(0, 0, W, A),
          column(2, 0, H, C), copy(3), fill(B), column(4, 0, H, C)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Surface surface(c.width, H, D);
        Plain plain {c.width, H, std::vector<COLORREF>(size_t(c.width * H), D)};
        std::map<int, std::pair<Surface, Plain>> copies;
        for (const Step& s : c.steps) {
            if (s.kind == Step::Copy)
                copies.insert_or_assign(s.slot, std::pair(surface, plain));
            else if (s.kind == Step::Drop)
                copies.erase(s.slot);
            else if (s.kind == Step::Read)
                for (const auto& kept : copies)
                    kept.second.first.pixels();
            apply(surface, s);
            plain.apply(s);
            for (const auto& [slot, kept] : copies)
                expect_same(kept.first, kept.second, "copy " + std::to_string(slot));
        }
        expect_same(surface, plain, "surface");
    }
}

TEST(Surface, StoresColoursAsAnOpaqueRgb32Image)
{
    Surface surface(2, 1, 0x00332211);
    surface.set_pixel(1, 0, 0x80CCBBAA); // the high byte is no colour
    EXPECT_EQ(surface.pixels()[0], 0xFF112233u);
    EXPECT_EQ(surface.pixels()[1], 0xFFAABBCCu);
    EXPECT_EQ(surface.pixel(1, 0), 0x00CCBBAAu);
}

} // namespace
