#include "platform/gdi/text.h"

#include "platform/gdi/font_engine.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// The ink of one text, as runs of pixels relative to the text cell's top-left corner.
struct TextMask {
    using Run = Surface::Run;
    int advance = 0;
    // The part of the ink box the runs cover, relative to the cell's corner: only what a
    // surface showed, so a text far bigger than its surface costs no more than the surface.
    QRect covered;
    std::vector<Run> runs;
};

struct ResolvedFont {
    explicit ResolvedFont(const StdFont& font)
        : qt(qt_font_for(font)), metrics(qt), cell(cell_metrics(qt))
    {
    }

    QFont qt;
    QFontMetrics metrics;
    CellMetrics cell;
    // A button draws the same caption many times a paint and every paint: the ink of
    // the last few texts is kept, so only a new text is laid out and rasterised.
    mutable std::map<std::string, TextMask, std::less<>> masks;
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

constexpr size_t max_cached_masks = 32;
// Ink is kept for this many pixels of a text at most; a longer one is measured in full.
constexpr int max_ink_width = 32767;
// Ink is made for this much more than a surface shows, so the caption's passes a pixel or
// two apart draw from one rasterisation.
constexpr int ink_slack = 8;

// Where a text's glyphs may ink, relative to the cell's top-left corner: the cell with room
// around it for glyphs that overhang it (italics, accents).
QRect ink_box(const ResolvedFont& font, int advance)
{
    const int margin = font.cell.height() / 2 + 2;
    return QRect(-margin, -margin, std::min(advance, max_ink_width) + 2 * margin, font.cell.height() + 2 * margin);
}

// Draws the glyphs opaque on a transparent image of `window`, and keeps the covered pixels
// as runs.
void rasterise(const ResolvedFont& font, const QString& text, const QRect& window, TextMask& mask)
{
    mask.covered = window;
    mask.runs.clear();
    QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font.qt);
    painter.setPen(Qt::white);
    painter.drawText(QPointF(-window.left(), -window.top() + font.cell.ascent), text);
    painter.end();
    for (int row = 0; row < image.height(); ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(row));
        for (int column = 0; column < image.width();) {
            if (qAlpha(line[column]) < 128) {
                ++column;
                continue;
            }
            const int start = column;
            while (column < image.width() && qAlpha(line[column]) >= 128)
                ++column;
            mask.runs.push_back({row + window.top(), start + window.left(), column + window.left()});
        }
    }
}

// The text's entry, measured; its ink is made when it is drawn.
TextMask& mask_for(const ResolvedFont& font, const char* text, int count)
{
    const std::string_view key(text, size_t(count));
    auto it = font.masks.find(key);
    if (it != font.masks.end())
        return it->second;
    if (font.masks.size() >= max_cached_masks)
        font.masks.clear();
    TextMask mask;
    mask.advance = font.metrics.horizontalAdvance(decode(text, count));
    return font.masks.emplace(std::string(key), std::move(mask)).first->second;
}

// The part of `box` that a width x height surface shows with the cell's corner at (x, y).
QRect shown_part(const QRect& box, int x, int y, int width, int height)
{
    const int64_t left = std::max<int64_t>(box.left(), -int64_t(x));
    const int64_t top = std::max<int64_t>(box.top(), -int64_t(y));
    const int64_t right = std::min<int64_t>(int64_t(box.right()) + 1, int64_t(width) - x);
    const int64_t bottom = std::min<int64_t>(int64_t(box.bottom()) + 1, int64_t(height) - y);
    if (left >= right || top >= bottom)
        return {};
    return QRect(int(left), int(top), int(right - left), int(bottom - top));
}

// The ink of a text over at least what the surface shows of it; nullptr when it shows none.
const TextMask* ink_for(const ResolvedFont& font, const char* text, int count, int x, int y, const Surface& surface)
{
    TextMask& mask = mask_for(font, text, count);
    const QRect box = ink_box(font, mask.advance);
    const QRect shown = shown_part(box, x, y, surface.width(), surface.height());
    if (shown.isEmpty())
        return nullptr;
    if (!mask.covered.contains(shown))
        rasterise(font, decode(text, count), box & shown.adjusted(-ink_slack, -ink_slack, ink_slack, ink_slack), mask);
    return &mask;
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
    const TextMask* mask = ink_for(*font, text, count, x, y, *dc->surface);
    if (mask)
        dc->surface->fill_runs(x, y, mask->runs, dc->text_colour);
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
        size->cx = mask_for(*font, text, count).advance;
    return TRUE;
}

} // namespace platform
