#pragma once
// The monochrome bitmap strikes of an sfnt font (its EBLC and EBDT tables).

#include "platform/gdi/sfnt.h"

#include <map>
#include <vector>

namespace platform {

// One glyph's bitmap and where it sits: `left` from the pen position to its first column,
// `top` from the baseline up to its first row.
struct StrikeGlyph {
    int width = 0;
    int height = 0;
    int left = 0;
    int top = 0;
    int advance = 0;
    std::vector<bool> ink; // row by row, width * height

    bool at(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height && ink[size_t(y * width + x)]; }
};

// One strike: the glyphs drawn at one pixel size, by glyph index. `ppem` is the cell height.
struct Strike {
    int ppem = 0;
    int ascent = 0;
    int descent = 0;
    std::map<int, StrikeGlyph> glyphs;
};

// Where a 1-bit strike lies in the font, with its size: enough to choose one before
// reading its glyphs.
struct StrikeRecord {
    int ppem = 0;
    int ascent = 0;
    int descent = 0;
    qsizetype index = 0;   // of its subtable array in EBLC
    uint32_t subtables = 0;
};

// The 1-bit strikes' records, smallest first; a damaged record ends the list.
std::vector<StrikeRecord> strike_records(const sfnt::Tables& font);

// The strike's glyphs; glyphs in formats not read here, or whose data lies past the tables,
// are left out.
Strike read_strike(const sfnt::Tables& font, const StrikeRecord& record);

// Every 1-bit strike with glyphs, smallest first.
std::vector<Strike> read_strikes(const sfnt::Tables& font);

} // namespace platform
