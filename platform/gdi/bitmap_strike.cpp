#include "platform/gdi/bitmap_strike.h"

#include <algorithm>
#include <optional>

namespace platform {

using sfnt::u16_at;
using sfnt::u32_at;
using sfnt::u8_at;

namespace {

struct Metrics {
    int height = 0, width = 0, left = 0, top = 0, advance = 0;
};

// Small and big glyph metrics begin alike: height, width, bearing x, bearing y, advance.
std::optional<Metrics> metrics_at(const QByteArray& t, qsizetype at)
{
    const auto height = u8_at(t, at), width = u8_at(t, at + 1), advance = u8_at(t, at + 4);
    const auto x = u8_at(t, at + 2), y = u8_at(t, at + 3);
    if (!height || !width || !advance || !x || !y)
        return std::nullopt;
    return Metrics {*height, *width, int(int8_t(*x)), int(int8_t(*y)), *advance};
}

// Rows either start on a byte (byte-aligned) or follow on from the last bit (bit-aligned).
std::optional<StrikeGlyph> decode(const QByteArray& data, qsizetype at, const Metrics& m, bool byte_aligned)
{
    StrikeGlyph glyph {m.width, m.height, m.left, m.top, m.advance, {}};
    glyph.ink.resize(size_t(m.width) * size_t(m.height));
    const qsizetype row_bits = byte_aligned ? (m.width + 7) / 8 * 8 : m.width;
    if (at < 0 || at + (row_bits * m.height + 7) / 8 > data.size())
        return std::nullopt;
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData()) + at;
    for (int y = 0; y < m.height; ++y) {
        for (int x = 0; x < m.width; ++x) {
            const qsizetype bit = row_bits * y + x;
            glyph.ink[size_t(y * m.width + x)] = (bytes[bit / 8] >> (7 - bit % 8)) & 1;
        }
    }
    return glyph;
}

// One glyph's image: `shared` holds the metrics of formats that keep them in the index.
std::optional<StrikeGlyph> image(const QByteArray& ebdt, qsizetype at, int format, std::optional<Metrics> shared)
{
    switch (format) {
    case 1:
    case 2:
        if (auto m = metrics_at(ebdt, at))
            return decode(ebdt, at + 5, *m, format == 1);
        return std::nullopt;
    case 5:
        if (shared)
            return decode(ebdt, at, *shared, false);
        return std::nullopt;
    case 6:
    case 7:
        if (auto m = metrics_at(ebdt, at))
            return decode(ebdt, at + 8, *m, format == 6);
        return std::nullopt;
    default: // composites and colour formats
        return std::nullopt;
    }
}

// The glyphs of one index subtable: (glyph index, offset of its image in EBDT).
struct Located {
    int glyph;
    qsizetype at;
};

std::vector<Located> locate(const QByteArray& eblc, qsizetype header, int first, int last, qsizetype data)
{
    std::vector<Located> found;
    const auto index_format = u16_at(eblc, header);
    const qsizetype body = header + 8;
    if (!index_format || last < first)
        return found;
    const int count = last - first + 1;
    switch (*index_format) {
    case 1:
    case 3: { // offsets of every glyph and the end; an empty range is a glyph without a bitmap
        const auto offset = [&](int i) -> std::optional<uint32_t> {
            if (*index_format == 1)
                return u32_at(eblc, body + 4 * qsizetype(i));
            const auto short_offset = u16_at(eblc, body + 2 * qsizetype(i));
            return short_offset ? std::optional<uint32_t>(uint32_t(*short_offset)) : std::nullopt;
        };
        for (int i = 0; i < count; ++i) {
            const auto from = offset(i), to = offset(i + 1);
            if (!from || !to)
                return found;
            if (*to > *from)
                found.push_back({first + i, data + qsizetype(*from)});
        }
        return found;
    }
    case 2: { // images of one size, one after another
        const auto size = u32_at(eblc, body);
        for (int i = 0; size && i < count; ++i)
            found.push_back({first + i, data + qsizetype(*size) * i});
        return found;
    }
    case 4: { // (glyph, offset) pairs
        const auto pairs = u32_at(eblc, body);
        for (uint32_t i = 0; pairs && i < *pairs; ++i) {
            const auto glyph = u16_at(eblc, body + 4 + 4 * i), from = u16_at(eblc, body + 6 + 4 * i);
            const auto to = u16_at(eblc, body + 10 + 4 * i);
            if (!glyph || !from || !to)
                return found;
            if (*to > *from)
                found.push_back({*glyph, data + *from});
        }
        return found;
    }
    case 5: { // images of one size for the listed glyphs
        const auto size = u32_at(eblc, body);
        const auto listed = u32_at(eblc, body + 12);
        for (uint32_t i = 0; size && listed && i < *listed; ++i) {
            const auto glyph = u16_at(eblc, body + 16 + 2 * i);
            if (!glyph)
                return found;
            found.push_back({*glyph, data + qsizetype(*size) * i});
        }
        return found;
    }
    default:
        return found;
    }
}

void read_subtables(const QByteArray& eblc, const QByteArray& ebdt, qsizetype array, uint32_t count, Strike& strike)
{
    for (uint32_t i = 0; i < count; ++i) {
        const qsizetype entry = array + 8 * qsizetype(i);
        const auto first = u16_at(eblc, entry), last = u16_at(eblc, entry + 2);
        const auto offset = u32_at(eblc, entry + 4);
        if (!first || !last || !offset)
            return;
        const qsizetype header = array + qsizetype(*offset);
        const auto image_format = u16_at(eblc, header + 2);
        const auto data = u32_at(eblc, header + 4);
        const auto index_format = u16_at(eblc, header);
        if (!image_format || !data || !index_format)
            return;
        // Formats 2 and 5 keep one set of big metrics for all their glyphs.
        const auto shared = *index_format == 2 || *index_format == 5 ? metrics_at(eblc, header + 12) : std::nullopt;
        for (const Located& l : locate(eblc, header, *first, *last, qsizetype(*data)))
            if (auto glyph = image(ebdt, l.at, *image_format, shared))
                strike.glyphs[l.glyph] = std::move(*glyph);
    }
}

} // namespace

std::vector<StrikeRecord> strike_records(const sfnt::Tables& font)
{
    std::vector<StrikeRecord> records;
    const auto eblc_it = font.find("EBLC");
    if (eblc_it == font.end() || font.find("EBDT") == font.end())
        return records;
    const QByteArray& eblc = eblc_it->second;
    const auto sizes = u32_at(eblc, 4);
    for (uint32_t i = 0; sizes && i < *sizes; ++i) {
        const qsizetype record = 8 + 48 * qsizetype(i);
        const auto array = u32_at(eblc, record), size = u32_at(eblc, record + 4), count = u32_at(eblc, record + 8);
        const auto ascent = u8_at(eblc, record + 16), descent = u8_at(eblc, record + 17);
        const auto ppem = u8_at(eblc, record + 45), depth = u8_at(eblc, record + 46);
        if (!array || !size || !count || !ascent || !descent || !ppem || !depth)
            break;
        // The subtable array lies within the strike's index tables, or the record is damaged.
        if (*depth != 1 || uint64_t(*count) * 8 > *size)
            continue;
        records.push_back({*ppem, int(int8_t(*ascent)), -int(int8_t(*descent)), qsizetype(*array), *count});
    }
    std::sort(records.begin(), records.end(),
              [](const StrikeRecord& a, const StrikeRecord& b) { return a.ppem < b.ppem; });
    return records;
}

Strike read_strike(const sfnt::Tables& font, const StrikeRecord& record)
{
    Strike strike {record.ppem, record.ascent, record.descent, {}};
    const auto eblc = font.find("EBLC"), ebdt = font.find("EBDT");
    if (eblc != font.end() && ebdt != font.end())
        read_subtables(eblc->second, ebdt->second, record.index, record.subtables, strike);
    return strike;
}

std::vector<Strike> read_strikes(const sfnt::Tables& font)
{
    std::vector<Strike> strikes;
    for (const StrikeRecord& record : strike_records(font)) {
        Strike strike = read_strike(font, record);
        if (!strike.glyphs.empty())
            strikes.push_back(std::move(strike));
    }
    return strikes;
}

} // namespace platform
