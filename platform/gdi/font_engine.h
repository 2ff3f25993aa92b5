#pragma once
// The bridge from a font object to Qt's font engine: which Qt font draws it, and
// the cell metrics GDI would report for that font.

#include "platform/gdi/font.h"

#include <QFont>

namespace platform {

// The text cell above and below the baseline, in pixels (GDI's tmAscent, tmDescent).
struct CellMetrics {
    int ascent = 0;
    int descent = 0;

    int height() const { return ascent + descent; }
};

// Monochrome, unkerned, fully hinted: the classic look. The bundled fonts are
// registered on first use; a family that is not there falls back to fontconfig's match.
// MS Sans Serif is the bitmap strike GDI would pick for the size, in GDI's bold when bold:
// widgets given this font draw it as the text calls do.
QFont qt_font_for(const StdFont& font);

// Starts on a thread of its own what the first font needs and takes milliseconds: the
// desktop's font configuration, and MS Sans Serif's file and strike records. The first font
// waits for it; without this, the first font does it all itself.
void prepare_fonts();

// From the font's own Windows metrics (VDMX, else OS/2 win ascent and descent),
// else Qt's metrics for a font that carries neither.
CellMetrics cell_metrics(const QFont& font);

} // namespace platform
