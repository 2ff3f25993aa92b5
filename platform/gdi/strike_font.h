#pragma once
// An outline font made of one bitmap strike, so that Qt draws that strike as GDI does. Qt
// registers only the first strike of a bitmap-only font and cannot embolden a bitmap; an
// outline of pixel squares, drawn unantialiased at the strike's own size, is the bitmap.

#include "platform/gdi/bitmap_strike.h"

#include <QByteArray>
#include <QString>

namespace platform {

// The strike's glyphs (emboldened as GDI does when `bold`) as a font file named `family`,
// regular or bold, whose underline is GDI's: the pixel row under the baseline. The source
// gives the character map, the glyph count and the OS/2 table. Empty when it lacks one.
QByteArray strike_font(const sfnt::Tables& source, const Strike& strike, const QString& family, bool bold);

} // namespace platform
