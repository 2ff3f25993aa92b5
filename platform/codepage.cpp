#include "platform/codepage.h"

#include <array>
#include <cstdint>

namespace platform {

namespace {

// Code points of bytes 0x80 to 0xBF; 0xC0 to 0xFF are U+0410 to U+044F in order. 0x98, which
// the code page leaves unassigned, stands for the C1 control U+0098 as the system's own
// converter has it, so every byte comes back as it was.
constexpr std::array<char16_t, 64> upper_half = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

char32_t code_point_of(uint8_t byte)
{
    if (byte < 0x80)
        return byte;
    if (byte >= 0xC0)
        return 0x0410 + (byte - 0xC0);
    return upper_half[byte - 0x80];
}

} // namespace

void append_utf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

char32_t next_utf8_code_point(std::string_view text, size_t& i)
{
    const auto byte = [&](size_t k) { return uint8_t(text[k]); };
    const uint8_t lead = byte(i);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + size_t(length) > text.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        if ((byte(i + size_t(k)) & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        c = (c << 6) | (byte(i + size_t(k)) & 0x3F);
    }
    i += size_t(length);
    return c;
}

std::string cp1251_to_utf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char b : bytes)
        append_utf8(out, code_point_of(uint8_t(b)));
    return out;
}

std::string utf8_to_cp1251(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const char32_t c = next_utf8_code_point(text, i);
        if (c < 0x80) {
            out += char(c);
            continue;
        }
        if (c >= 0x0410 && c <= 0x044F) {
            out += char(0xC0 + (c - 0x0410));
            continue;
        }
        char mapped = '?';
        for (size_t k = 0; k < upper_half.size(); ++k)
            if (upper_half[k] == c)
                mapped = char(0x80 + k);
        out += mapped;
    }
    return out;
}

} // namespace platform
