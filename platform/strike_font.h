#pragma once
// An outline font made of one bitmap strike, so that Qt draws that strike as GDI does. Qt
// registers only the first strike of a bitmap-only font and cannot embolden a bitmap; an
// outline of pixel squares, drawn unantialiased at the strike's own size, is the bitmap.

#include "platform/bitmap_strike.h"

#include <QByteArray>
#include <QString>

namespace platform {

// Glyph outlines are whole pixels of this many font units.
constexpr int strike_font_units_per_pixel = 64;

// The strike's glyphs (emboldened as GDI does when `bold`) as a font file named `family`,
// regular or bold; the source gives the character map and the character ranges.
// Empty when the source lacks a table the font needs.
QByteArray strike_font(const sfnt::Tables& source, const Strike& strike, const QString& family, bool bold);

} // namespace platform
