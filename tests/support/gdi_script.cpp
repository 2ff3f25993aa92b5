#include "tests/support/gdi_script.h"

#include "platform/codepage.h"
#include "platform/gdi/gradient.h"
#include "platform/gdi/raster.h"
#include "platform/gdi/text.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace test_support {

using namespace platform;

namespace {

std::vector<long long> parse_arguments(std::istringstream& words, const std::string& command)
{
    std::vector<long long> values;
    std::string word;
    while (words >> word) {
        if (word[0] == '#')
            break;
        size_t used = 0;
        long long value = std::stoll(word, &used, 0);
        if (used != word.size())
            throw std::runtime_error(command + ": not an integer: " + word);
        values.push_back(value);
    }
    return values;
}

void expect_count(const std::string& command, const std::vector<long long>& args, size_t count)
{
    if (args.size() != count)
        throw std::runtime_error(command + ": expected " + std::to_string(count) + " arguments");
}

std::vector<POINT> points_of(const std::string& command, const std::vector<long long>& args)
{
    if (args.empty() || args.size() != 1 + 2 * size_t(args[0]))
        throw std::runtime_error(command + ": bad point list");
    std::vector<POINT> points;
    for (size_t i = 1; i < args.size(); i += 2)
        points.push_back({LONG(args[i]), LONG(args[i + 1])});
    return points;
}

TRIVERTEX vertex(long long x, long long y, long long colour)
{
    return {LONG(x), LONG(y), COLOR16(GetRValue(COLORREF(colour)) << 8),
            COLOR16(GetGValue(COLORREF(colour)) << 8), COLOR16(GetBValue(COLORREF(colour)) << 8), 0};
}

// The byte string that ends a text command: hex digit pairs, or "-" for none. It is taken off
// the words, so the integers before it parse as usual.
std::string take_bytes(std::istringstream& words, const std::string& command)
{
    std::string rest, word, kept;
    std::getline(words, rest);
    rest = rest.substr(0, rest.find('#'));
    std::istringstream split(rest);
    std::vector<std::string> all;
    while (split >> word)
        all.push_back(word);
    if (all.empty())
        throw std::runtime_error(command + ": no byte string");
    for (size_t i = 0; i + 1 < all.size(); ++i)
        kept += all[i] + " ";
    words.str(kept);
    words.clear();
    std::string bytes;
    if (all.back() == "-")
        return bytes;
    if (all.back().size() % 2 != 0)
        throw std::runtime_error(command + ": odd byte string: " + all.back());
    for (size_t i = 0; i < all.back().size(); i += 2) {
        size_t used = 0;
        const std::string pair = all.back().substr(i, 2);
        const int byte = std::stoi(pair, &used, 16);
        if (used != 2)
            throw std::runtime_error(command + ": not hex: " + pair);
        bytes += char(byte);
    }
    return bytes;
}

// Our 8-bit text is UTF-8: the script's bytes are read in the code page of the font's
// character set, Cyrillic 1251 for 204; other sets take ASCII only.
std::string text_of(const std::string& bytes, const StdFont& font, const std::string& command)
{
    if (font.charset == 204)
        return cp1251_to_utf8(bytes);
    for (char c : bytes)
        if (uint8_t(c) >= 0x80)
            throw std::runtime_error(command + ": only ASCII outside character set 204");
    return bytes;
}

// CreateFontA's height in pixels: negative is the character height, the only kind a
// font object holds (in points, at 96 dots per inch).
StdFont font_of(const std::vector<long long>& a, const std::string& name)
{
    if (a[0] >= 0)
        throw std::runtime_error("font: only negative heights (character heights)");
    StdFont font;
    font.name = name;
    font.size = double(-a[0]) * 72.0 / 96.0;
    font.weight = int16_t(a[1]);
    font.italic = a[2] != 0;
    font.underline = a[3] != 0;
    font.strikethrough = a[4] != 0;
    font.charset = int16_t(a[5]);
    return font;
}

std::string hex(COLORREF colour)
{
    char text[16];
    std::snprintf(text, sizeof text, colour == CLR_INVALID ? "%08x" : "%06x", colour);
    return text;
}

} // namespace

std::string dump_surface(const Surface& surface)
{
    std::string out = "dump " + std::to_string(surface.width()) + " " + std::to_string(surface.height()) + "\n";
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            out += hex(surface.pixel(x, y));
            out += x + 1 < surface.width() ? ' ' : '\n';
        }
    }
    return out;
}

std::string dump_mask(const Region& region, int width, int height)
{
    std::string out = "mask " + std::to_string(width) + " " + std::to_string(height) + "\n";
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            out += region.contains(x, y) ? '#' : '.';
        out += '\n';
    }
    return out;
}

std::string replay_gdi_script(std::string_view script)
{
    std::istringstream lines {std::string(script)};
    std::unique_ptr<Surface> surface;
    std::unique_ptr<DeviceContext> dc;
    std::string out;
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string command;
        if (!(words >> command) || command[0] == '#')
            continue;
        const bool takes_bytes = command == "font" || command == "textout" || command == "extent";
        const std::string bytes = takes_bytes ? take_bytes(words, command) : std::string();
        auto a = parse_arguments(words, command);
        if (command == "size") {
            expect_count(command, a, 2);
            surface = std::make_unique<Surface>(int(a[0]), int(a[1]), 0);
            dc = std::make_unique<DeviceContext>(*surface);
            continue;
        }
        if (!dc)
            throw std::runtime_error(command + " before size");
        if (command == "clear") {
            expect_count(command, a, 1);
            surface->fill(COLORREF(a[0]));
        } else if (command == "pen") {
            expect_count(command, a, 1);
            dc->pen = COLORREF(a[0]);
        } else if (command == "moveto") {
            expect_count(command, a, 2);
            MoveToEx(dc.get(), int(a[0]), int(a[1]), nullptr);
        } else if (command == "lineto") {
            expect_count(command, a, 2);
            LineTo(dc.get(), int(a[0]), int(a[1]));
        } else if (command == "arc") {
            expect_count(command, a, 8);
            Arc(dc.get(), int(a[0]), int(a[1]), int(a[2]), int(a[3]), int(a[4]), int(a[5]), int(a[6]),
                int(a[7]));
        } else if (command == "roundrect") {
            expect_count(command, a, 6);
            RoundRect(dc.get(), int(a[0]), int(a[1]), int(a[2]), int(a[3]), int(a[4]), int(a[5]));
        } else if (command == "polygon") {
            auto points = points_of(command, a);
            Polygon(dc.get(), points.data(), int(points.size()));
        } else if (command == "setpixel") {
            expect_count(command, a, 3);
            SetPixel(dc.get(), int(a[0]), int(a[1]), COLORREF(a[2]));
        } else if (command == "getpixel") {
            expect_count(command, a, 2);
            out += "getpixel " + std::to_string(a[0]) + " " + std::to_string(a[1]) + " " +
                   hex(GetPixel(dc.get(), int(a[0]), int(a[1]))) + "\n";
        } else if (command == "gradient") {
            expect_count(command, a, 7);
            TRIVERTEX v[2] = {vertex(a[1], a[2], a[3]), vertex(a[4], a[5], a[6])};
            GRADIENT_RECT rect {1, 0};
            GradientFill(dc.get(), v, 2, &rect, 1, uint32_t(a[0]));
        } else if (command == "rgn-roundrect") {
            expect_count(command, a, 6);
            out += dump_mask(CreateRoundRectRgn(int(a[0]), int(a[1]), int(a[2]), int(a[3]), int(a[4]), int(a[5])),
                             surface->width(), surface->height());
        } else if (command == "rgn-ellipse") {
            expect_count(command, a, 4);
            out += dump_mask(CreateEllipticRgn(int(a[0]), int(a[1]), int(a[2]), int(a[3])), surface->width(),
                             surface->height());
        } else if (command == "rgn-polygon") {
            auto points = points_of(command, a);
            out += dump_mask(CreatePolygonRgn(points.data(), int(points.size()), WINDING), surface->width(),
                             surface->height());
        } else if (command == "font") {
            expect_count(command, a, 6);
            dc->font = font_of(a, bytes);
        } else if (command == "textcolor") {
            expect_count(command, a, 1);
            dc->text_colour = COLORREF(a[0]);
        } else if (command == "textout") {
            expect_count(command, a, 2);
            const std::string text = text_of(bytes, dc->font, command);
            TextOutA(dc.get(), int(a[0]), int(a[1]), text.data(), int(text.size()));
        } else if (command == "extent") {
            expect_count(command, a, 0);
            const std::string text = text_of(bytes, dc->font, command);
            SIZE size {};
            GetTextExtentPoint32A(dc.get(), text.data(), int(text.size()), &size);
            out += "extent " + std::to_string(size.cx) + " " + std::to_string(size.cy) + "\n";
        } else if (command == "dump") {
            out += dump_surface(*surface);
        } else {
            throw std::runtime_error("unknown command: " + command);
        }
    }
    return out;
}

namespace {

std::vector<std::string> split_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// One row of a dump as characters: '.' for a pixel equal to the row's first
// expected colour, '#' for another colour that matches, '!' where the two differ.
// Differing pixels are also listed in `details`.
std::string picture_row(const std::string& expected, const std::string& actual, int y, std::string& details)
{
    std::istringstream e(expected), a(actual);
    std::string ew, aw, first, row;
    for (int x = 0; e >> ew; ++x) {
        if (!(a >> aw))
            aw = "<missing>";
        if (first.empty())
            first = ew;
        if (ew != aw) {
            row += '!';
            details += "  (" + std::to_string(x) + ", " + std::to_string(y) + ") expected " + ew + " actual " + aw + "\n";
        } else {
            row += ew == first ? '.' : '#';
        }
    }
    return row;
}

} // namespace

std::vector<std::string> oracle_blocks(const std::string& out_file, std::string_view kind)
{
    const std::string header = std::string(kind) + " ";
    std::ifstream in(out_file);
    std::vector<std::string> blocks;
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        // Every answer line starts with its command's name; picture rows never do.
        const bool answer = line.rfind("dump ", 0) == 0 || line.rfind("mask ", 0) == 0 ||
                            line.rfind("getpixel ", 0) == 0 || line.rfind("extent ", 0) == 0 ||
                            line.rfind("metrics ", 0) == 0;
        if (answer) {
            inside = line.rfind(header, 0) == 0;
            if (inside)
                blocks.emplace_back();
        }
        if (inside)
            blocks.back() += line + "\n";
    }
    return blocks;
}

std::vector<std::string> oracle_dumps(const std::string& out_file)
{
    return oracle_blocks(out_file, "dump");
}

std::string describe_difference(const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return {};
    auto want = split_lines(expected);
    auto got = split_lines(actual);
    std::string out;
    bool in_dump = false;
    int dump_row = 0;
    std::string details;
    for (size_t i = 0; i < std::max(want.size(), got.size()); ++i) {
        const std::string w = i < want.size() ? want[i] : "<missing>";
        const std::string g = i < got.size() ? got[i] : "<missing>";
        if (w.rfind("dump ", 0) == 0) {
            in_dump = true;
            dump_row = 0;
            out += w + "   ('!' marks a differing pixel)\n";
            continue;
        }
        if (w.rfind("mask ", 0) == 0 || w.rfind("getpixel", 0) == 0)
            in_dump = false;
        if (in_dump) {
            out += picture_row(w, g, dump_row++, details) + "\n";
        } else if (w != g) {
            out += "line " + std::to_string(i + 1) + ": expected " + w + "\n" + std::string(i < 9 ? 8 : 9, ' ') +
                   "   actual " + g + "\n";
        }
    }
    if (details.size() > 2000)
        details = details.substr(0, 2000) + "  ...\n";
    return out + details;
}

} // namespace test_support
