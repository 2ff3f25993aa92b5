#include "platform/text.h"

#include "platform/font_engine.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace platform {

struct ResolvedFont {
    explicit ResolvedFont(const StdFont& font)
        : qt(qt_font_for(font)), metrics(qt), cell(cell_metrics(qt))
    {
    }

    QFont qt;
    QFontMetrics metrics;
    CellMetrics cell;
    // Glyphs are drawn here first; kept between calls so a repaint does not reallocate it.
    mutable QImage scratch;
};

namespace {

// Lenient: an invalid byte sequence becomes U+FFFD. Qt reads U+009C as the separator of
// a string's length variants when measuring, so it is kept a plain (unknown) character.
QString decode(const char* text, int count)
{
    QString decoded = QString::fromUtf8(text, count);
    decoded.replace(QChar(0x9C), QChar::ReplacementCharacter);
    return decoded;
}

// Remade only when the font object changed since the last call on this context.
const ResolvedFont* resolve(DeviceContext& dc)
{
    if (!qGuiApp)
        return nullptr;
    if (!dc.resolved_font || dc.resolved_for != dc.font) {
        dc.resolved_font = std::make_shared<const ResolvedFont>(dc.font);
        dc.resolved_for = dc.font;
    }
    return dc.resolved_font.get();
}

struct Box {
    int x0, y0, x1, y1;

    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

// The pixels of `surface` the text can reach: its cell widened by a margin for glyphs
// that overhang it (italics, accents), clipped to the surface.
Box reachable_box(const Surface& surface, int64_t x, int64_t y, int64_t advance, const CellMetrics& cell)
{
    const int64_t margin = cell.height() / 2 + 2;
    return {int(std::clamp<int64_t>(x - margin, 0, surface.width())),
            int(std::clamp<int64_t>(y - margin, 0, surface.height())),
            int(std::clamp<int64_t>(x + advance + margin, 0, surface.width())),
            int(std::clamp<int64_t>(y + cell.height() + margin, 0, surface.height()))};
}

// Draws the glyphs opaque on a transparent scratch image whose origin is the box's corner.
const QImage& render(const ResolvedFont& font, const QString& text, int64_t x, int64_t y, const Box& box)
{
    const int width = box.x1 - box.x0, height = box.y1 - box.y0;
    QImage& image = font.scratch;
    if (image.width() < width || image.height() < height)
        image = QImage(std::max(width, image.width()), std::max(height, image.height()),
                       QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font.qt);
    painter.setPen(Qt::white);
    painter.drawText(QPointF(double(x - box.x0), double(y + font.cell.ascent - box.y0)), text);
    return image;
}

} // namespace

// A pixel is ink when the unantialiased glyph covers it; ink becomes the text colour,
// every other pixel keeps its colour.
BOOL TextOutA(HDC dc, int x, int y, const char* text, int count)
{
    if (!dc || !dc->surface || count < 0 || (!text && count > 0))
        return FALSE;
    if (count == 0)
        return TRUE;
    const ResolvedFont* font = resolve(*dc);
    if (!font)
        return FALSE;
    const QString decoded = decode(text, count);
    const Box box = reachable_box(*dc->surface, x, y, font->metrics.horizontalAdvance(decoded), font->cell);
    if (box.empty())
        return TRUE;
    const QImage& image = render(*font, decoded, x, y, box);
    for (int row = box.y0; row < box.y1; ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(row - box.y0));
        for (int column = box.x0; column < box.x1; ++column) {
            if (qAlpha(line[column - box.x0]) >= 128)
                dc->surface->set_pixel(column, row, dc->text_colour);
        }
    }
    return TRUE;
}

// cx: the string's advance width; cy: the font's cell height, also for no text at all.
BOOL GetTextExtentPoint32A(HDC dc, const char* text, int count, SIZE* size)
{
    if (!size)
        return FALSE;
    *size = {};
    if (!dc || count < 0 || (!text && count > 0))
        return FALSE;
    const ResolvedFont* font = resolve(*dc);
    if (!font)
        return FALSE;
    size->cy = font->cell.height();
    if (count > 0)
        size->cx = font->metrics.horizontalAdvance(decode(text, count));
    return TRUE;
}

} // namespace platform
