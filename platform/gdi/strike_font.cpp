#include "platform/gdi/strike_font.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace platform {

using sfnt::Writer;

namespace {

// Font units to a pixel: at the strike's size every outline point lies on a pixel corner.
constexpr int unit = 64;

// A rectangle of ink in pixels: columns x0 <= x < x1, rows y0 <= y < y1 of the bitmap.
struct Box {
    int x0, x1, y0, y1;
};

// What a glyph inks: its bitmap, or GDI's bold of it: the bitmap and itself one pixel to the
// right, one pixel wider, advancing one pixel more.
struct Ink {
    const StrikeGlyph& glyph;
    bool bold;

    int width() const { return glyph.width + int(bold); }
    int advance() const { return glyph.advance + int(bold); }
    bool at(int x, int y) const { return glyph.at(x, y) || (bold && glyph.at(x - 1, y)); }
};

struct Bounds {
    int x_min = INT_MAX, y_min = INT_MAX, x_max = INT_MIN, y_max = INT_MIN;

    bool empty() const { return x_min > x_max; }
    void add(int x, int y)
    {
        x_min = std::min(x_min, x);
        y_min = std::min(y_min, y);
        x_max = std::max(x_max, x);
        y_max = std::max(y_max, y);
    }
};

using Bytes = sfnt::BasicWriter<std::string>;

// One coordinate of a simple glyph, as a delta from the last: `short_flag` for one byte,
// `same_flag` for a zero delta (no byte) or, with `short_flag`, a positive one.
void encode_delta(int delta, int short_flag, int same_flag, int& flag, Bytes& out)
{
    if (delta == 0) {
        flag |= same_flag;
    } else if (delta >= -255 && delta <= 255) {
        flag |= short_flag | (delta > 0 ? same_flag : 0);
        out.u8(delta > 0 ? delta : -delta);
    } else {
        out.u16(delta);
    }
}

// The outlines of a face's glyphs, one after another into `glyf`, with the buffers of one
// glyph kept for the next: a face has a few hundred glyphs of a few rectangles each.
class OutlineWriter {
public:
    Bytes glyf;

    // Appends the glyph as clockwise rectangles (y up, baseline at 0), nothing for no ink;
    // answers its bounds and its number of contours.
    std::pair<Bounds, int> add(const Ink& ink)
    {
        find_boxes(ink);
        Bounds bounds;
        if (m_done.empty())
            return {bounds, 0};
        const StrikeGlyph& g = ink.glyph;
        m_points.clear();
        for (const Box& b : m_done) {
            const int left = (g.left + b.x0) * unit, right = (g.left + b.x1) * unit;
            const int top = (g.top - b.y0) * unit, bottom = (g.top - b.y1) * unit;
            m_points.insert(m_points.end(), {{left, bottom}, {left, top}, {right, top}, {right, bottom}});
            bounds.add(left, bottom);
            bounds.add(right, top);
        }
        m_flags.bytes.clear();
        m_xs.bytes.clear();
        m_ys.bytes.clear();
        int last_x = 0, last_y = 0;
        for (const auto& point : m_points) {
            int flag = 0x01; // on the curve
            encode_delta(point.first - last_x, 0x02, 0x10, flag, m_xs);
            encode_delta(point.second - last_y, 0x04, 0x20, flag, m_ys);
            m_flags.u8(flag);
            last_x = point.first;
            last_y = point.second;
        }
        const int contours = int(m_done.size());
        glyf.u16(contours);
        glyf.u16(bounds.x_min);
        glyf.u16(bounds.y_min);
        glyf.u16(bounds.x_max);
        glyf.u16(bounds.y_max);
        for (int i = 0; i < contours; ++i)
            glyf.u16(4 * i + 3);
        glyf.u16(0); // no instructions
        glyf.bytes += m_flags.bytes;
        glyf.bytes += m_xs.bytes;
        glyf.bytes += m_ys.bytes;
        glyf.pad_to(4);
        return {bounds, contours};
    }

private:
    // The ink as rectangles into m_done: each row's runs, a run continuing one of the same
    // columns in the row above grows that rectangle downwards.
    void find_boxes(const Ink& ink)
    {
        m_done.clear();
        m_open.clear();
        const int width = ink.width();
        for (int y = 0; y < ink.glyph.height; ++y) {
            m_next.clear();
            for (int x = 0; x < width;) {
                if (!ink.at(x, y)) {
                    ++x;
                    continue;
                }
                const int start = x;
                while (ink.at(x, y))
                    ++x;
                auto above =
                    std::find_if(m_open.begin(), m_open.end(), [&](const Box& b) { return b.x0 == start && b.x1 == x; });
                if (above != m_open.end()) {
                    m_next.push_back({start, x, above->y0, y + 1});
                    m_open.erase(above);
                } else {
                    m_next.push_back({start, x, y, y + 1});
                }
            }
            m_done.insert(m_done.end(), m_open.begin(), m_open.end());
            std::swap(m_open, m_next);
        }
        m_done.insert(m_done.end(), m_open.begin(), m_open.end());
    }

    std::vector<Box> m_done, m_open, m_next;
    std::vector<std::pair<int, int>> m_points;
    Bytes m_flags, m_xs, m_ys;
};

QByteArray bytes_of(const std::string& s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

struct GlyphTables {
    QByteArray glyf, loca, hmtx;
    Bounds font_bounds;
    int max_points = 0, max_contours = 0, max_advance = 0;
    int min_left = INT_MAX, min_right = INT_MAX, max_extent = INT_MIN;
    int average_advance = 0;
};

GlyphTables glyph_tables(const Strike& strike, int glyph_count, bool bold)
{
    GlyphTables t;
    OutlineWriter outlines;
    Bytes loca, hmtx;
    const StrikeGlyph none;
    int inked = 0, advance_sum = 0;
    for (int index = 0; index < glyph_count; ++index) {
        loca.u32(uint32_t(outlines.glyf.bytes.size()));
        const auto found = strike.glyphs.find(index);
        const bool drawn = found != strike.glyphs.end();
        const Ink ink {drawn ? found->second : none, bold && drawn};
        const auto [bounds, contours] = outlines.add(ink);
        const int advance = ink.advance() * unit;
        hmtx.u16(advance);
        hmtx.u16(bounds.empty() ? 0 : bounds.x_min); // the left side bearing is xMin: the pen starts at 0
        t.max_advance = std::max(t.max_advance, advance);
        if (ink.advance() > 0) {
            ++inked;
            advance_sum += advance;
        }
        if (bounds.empty())
            continue;
        t.max_contours = std::max(t.max_contours, contours);
        t.max_points = std::max(t.max_points, 4 * contours);
        t.min_left = std::min(t.min_left, bounds.x_min);
        t.min_right = std::min(t.min_right, advance - bounds.x_max);
        t.max_extent = std::max(t.max_extent, bounds.x_max);
        t.font_bounds.add(bounds.x_min, bounds.y_min);
        t.font_bounds.add(bounds.x_max, bounds.y_max);
    }
    loca.u32(uint32_t(outlines.glyf.bytes.size()));
    t.glyf = bytes_of(outlines.glyf.bytes);
    t.loca = bytes_of(loca.bytes);
    t.hmtx = bytes_of(hmtx.bytes);
    t.average_advance = inked ? advance_sum / inked : 0;
    if (t.font_bounds.empty())
        t.font_bounds = {0, 0, 0, 0};
    if (t.min_left == INT_MAX)
        t.min_left = t.min_right = t.max_extent = 0;
    return t;
}

QByteArray head_table(const Strike& strike, const GlyphTables& g, bool bold)
{
    Writer w;
    w.u32(0x00010000); // version
    w.u32(0x00010000); // revision
    w.u32(0);          // checksum adjustment, filled in with the file
    w.u32(0x5F0F3CF5);
    w.u16(0x000B); // baseline at 0, left side bearing at 0, integer scaling
    w.u16(strike.ppem * unit);
    for (int i = 0; i < 4; ++i)
        w.u32(0); // created, modified
    w.u16(g.font_bounds.x_min);
    w.u16(g.font_bounds.y_min);
    w.u16(g.font_bounds.x_max);
    w.u16(g.font_bounds.y_max);
    w.u16(bold ? 1 : 0); // mac style
    w.u16(strike.ppem);  // smallest readable size
    w.u16(2);            // font direction hint
    w.u16(1);            // long loca offsets
    w.u16(0);
    return w.bytes;
}

QByteArray hhea_table(const Strike& strike, const GlyphTables& g, int glyph_count)
{
    Writer w;
    w.u32(0x00010000);
    w.u16(strike.ascent * unit);
    w.u16(-strike.descent * unit);
    w.u16(0); // line gap
    w.u16(g.max_advance);
    w.u16(g.min_left);
    w.u16(g.min_right);
    w.u16(g.max_extent);
    w.u16(1); // caret upright
    w.u16(0);
    w.u16(0);
    for (int i = 0; i < 5; ++i)
        w.u16(0); // reserved, metric data format
    w.u16(glyph_count);
    return w.bytes;
}

QByteArray maxp_table(const GlyphTables& g, int glyph_count)
{
    Writer w;
    w.u32(0x00010000);
    w.u16(glyph_count);
    w.u16(g.max_points);
    w.u16(g.max_contours);
    w.u16(0); // no composites
    w.u16(0);
    w.u16(2); // zones
    for (int i = 0; i < 8; ++i)
        w.u16(0); // no hinting program
    return w.bytes;
}

// The source's OS/2 with this face's weight, style and metrics; sizes given in the source's
// units are rescaled to ours.
QByteArray os2_table(const QByteArray& source, int source_units, const Strike& strike, const GlyphTables& g, bool bold)
{
    QByteArray os2 = source;
    if (os2.size() < 78 || source_units <= 0)
        return {};
    const int units = strike.ppem * unit;
    for (qsizetype at = 10; at <= 28; at += 2)
        sfnt::put_u16(os2, at, int(int64_t(sfnt::i16_at(os2, at).value_or(0)) * units / source_units));
    sfnt::put_u16(os2, 2, g.average_advance);
    sfnt::put_u16(os2, 4, bold ? 700 : 400);
    sfnt::put_u16(os2, 62, bold ? 0x20 : 0x40); // bold, or regular
    sfnt::put_u16(os2, 68, strike.ascent * unit);
    sfnt::put_u16(os2, 70, -strike.descent * unit);
    sfnt::put_u16(os2, 72, 0);
    sfnt::put_u16(os2, 74, strike.ascent * unit);
    sfnt::put_u16(os2, 76, strike.descent * unit);
    return os2;
}

// GDI underlines a raster face with the pixel row under the baseline. Qt's one-pixel
// underline starts at the position (up from the baseline) taken down the page to a pixel
// edge, so positions from 0 to just under a pixel above draw that row: half a pixel.
QByteArray post_table()
{
    Writer w;
    w.u32(0x00030000); // no glyph names
    w.u32(0);          // upright
    w.u16(unit / 2);   // underline position
    w.u16(unit);       // and thickness
    for (int i = 0; i < 5; ++i)
        w.u32(0);
    return w.bytes;
}

QByteArray name_table(const QString& family, bool bold)
{
    const QString style = bold ? QStringLiteral("Bold") : QStringLiteral("Regular");
    QString postscript = family + QLatin1Char('-') + style;
    postscript.remove(QLatin1Char(' '));
    const std::pair<int, QString> names[] = {
        {1, family}, {2, style}, {4, family + QLatin1Char(' ') + style}, {6, postscript}};
    Writer records, strings;
    for (const auto& [id, text] : names) {
        const qsizetype start = strings.bytes.size();
        for (QChar c : text)
            strings.u16(c.unicode());
        records.u16(3); // Windows, Unicode BMP, US English
        records.u16(1);
        records.u16(0x409);
        records.u16(id);
        records.u16(int(strings.bytes.size() - start));
        records.u16(int(start));
    }
    Writer w;
    w.u16(0);
    w.u16(int(std::size(names)));
    w.u16(6 + 12 * int(std::size(names)));
    w.bytes += records.bytes + strings.bytes;
    return w.bytes;
}

} // namespace

QByteArray strike_font(const sfnt::Tables& source, const Strike& strike, const QString& family, bool bold)
{
    const auto cmap = source.find("cmap"), maxp = source.find("maxp"), os2 = source.find("OS/2");
    const auto head = source.find("head");
    if (cmap == source.end() || maxp == source.end() || os2 == source.end() || head == source.end())
        return {};
    const int glyph_count = sfnt::u16_at(maxp->second, 4).value_or(0);
    const int source_units = sfnt::u16_at(head->second, 18).value_or(0);
    if (glyph_count <= 0 || strike.ppem <= 0 || strike.ppem * unit > 16384)
        return {};
    const GlyphTables glyphs = glyph_tables(strike, glyph_count, bold);
    sfnt::Tables tables;
    tables["OS/2"] = os2_table(os2->second, source_units, strike, glyphs, bold);
    if (tables["OS/2"].isEmpty())
        return {};
    tables["cmap"] = cmap->second;
    tables["glyf"] = glyphs.glyf;
    tables["head"] = head_table(strike, glyphs, bold);
    tables["hhea"] = hhea_table(strike, glyphs, glyph_count);
    tables["hmtx"] = glyphs.hmtx;
    tables["loca"] = glyphs.loca;
    tables["maxp"] = maxp_table(glyphs, glyph_count);
    tables["name"] = name_table(family, bold);
    tables["post"] = post_table();
    return sfnt::assemble(tables);
}

} // namespace platform
