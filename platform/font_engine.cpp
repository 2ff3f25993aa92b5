#include "platform/font_engine.h"

#include <QByteArray>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QRawFont>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace platform {

namespace {

// Only the .ttf files: Qt registers the .fon files of the same package but draws
// nothing readable with them.
constexpr const char* bundled_fonts[] = {
    "/usr/share/wine/fonts/tahoma.ttf",
    "/usr/share/wine/fonts/tahomabd.ttf",
    "/usr/share/wine/fonts/ms_sans_serif.ttf",
};

void register_bundled_fonts()
{
    static const bool registered = [] {
        for (const char* path : bundled_fonts)
            QFontDatabase::addApplicationFont(QString::fromLatin1(path)); // -1 when absent: fontconfig decides
        return true;
    }();
    (void)registered;
}

int pixel_size_of(double points)
{
    if (!std::isfinite(points) || points <= 0)
        return 1;
    return std::clamp(font_pixel_size(std::min(points, 1000.0)), 1, 1000);
}

// Big-endian reads that answer nothing past the end of the table.
std::optional<int> u8_at(const QByteArray& t, qsizetype at)
{
    if (at < 0 || at + 1 > t.size())
        return std::nullopt;
    return int(uint8_t(t[at]));
}

std::optional<int> u16_at(const QByteArray& t, qsizetype at)
{
    if (at < 0 || at + 2 > t.size())
        return std::nullopt;
    return (int(uint8_t(t[at])) << 8) | int(uint8_t(t[at + 1]));
}

std::optional<int> i16_at(const QByteArray& t, qsizetype at)
{
    auto v = u16_at(t, at);
    return v ? std::optional<int>(int(int16_t(uint16_t(*v)))) : std::nullopt;
}

// The VDMX group that serves a 1:1 pixel aspect ratio: the first whose ratio
// range holds 1:1, or the catch-all 0:0:0.
std::optional<qsizetype> vdmx_group_for_square_pixels(const QByteArray& vdmx)
{
    const auto ratios = u16_at(vdmx, 4);
    if (!ratios)
        return std::nullopt;
    for (int i = 0; i < *ratios; ++i) {
        const qsizetype at = 6 + 4 * qsizetype(i);
        const auto x = u8_at(vdmx, at + 1), y0 = u8_at(vdmx, at + 2), y1 = u8_at(vdmx, at + 3);
        const auto offset = u16_at(vdmx, 6 + 4 * qsizetype(*ratios) + 2 * qsizetype(i));
        if (!x || !y0 || !y1 || !offset)
            return std::nullopt;
        const bool any = *x == 0 && *y0 == 0 && *y1 == 0;
        if (any || (*x == 1 && *y0 <= 1 && 1 <= *y1))
            return qsizetype(*offset);
    }
    return std::nullopt;
}

// VDMX lists the rounded ascent and descent the font was made to show at each size.
std::optional<CellMetrics> vdmx_metrics(const QByteArray& vdmx, int ppem)
{
    const auto group = vdmx_group_for_square_pixels(vdmx);
    if (!group)
        return std::nullopt;
    const auto records = u16_at(vdmx, *group);
    for (int i = 0; records && i < *records; ++i) {
        const qsizetype at = *group + 4 + 6 * qsizetype(i);
        const auto height = u16_at(vdmx, at), y_max = i16_at(vdmx, at + 2), y_min = i16_at(vdmx, at + 4);
        if (!height || !y_max || !y_min)
            return std::nullopt;
        if (*height == ppem)
            return CellMetrics {*y_max, -*y_min};
    }
    return std::nullopt;
}

// usWinAscent and usWinDescent scaled to the size, rounded to nearest.
std::optional<CellMetrics> os2_metrics(const QByteArray& os2, int units_per_em, int ppem)
{
    const auto ascent = u16_at(os2, 74), descent = u16_at(os2, 76);
    if (!ascent || !descent || units_per_em <= 0)
        return std::nullopt;
    const auto scale = [&](int units) { return int((int64_t(units) * ppem + units_per_em / 2) / units_per_em); };
    return CellMetrics {scale(*ascent), scale(*descent)};
}

} // namespace

QFont qt_font_for(const StdFont& font)
{
    register_bundled_fonts();
    // The bundled MS Sans Serif has bitmaps of its regular face only, which Qt does not
    // embolden: its bold is drawn in Tahoma Bold, the nearest face we carry.
    QString family = QString::fromStdString(font.name);
    if (font.bold() && family.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0)
        family = QStringLiteral("Tahoma");
    QFont qt(family);
    qt.setPixelSize(pixel_size_of(font.size));
    qt.setWeight(QFont::Weight(font.weight <= 0 ? 400 : std::min<int>(font.weight, 1000)));
    qt.setItalic(font.italic);
    qt.setUnderline(font.underline);
    qt.setStrikeOut(font.strikethrough);
    qt.setKerning(false);
    qt.setHintingPreference(QFont::PreferFullHinting);
    // No shaping: one glyph per letter, as GDI draws them ("TM" must not become one sign).
    qt.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging | QFont::PreferNoShaping));
    return qt;
}

CellMetrics cell_metrics(const QFont& font)
{
    // A bitmap-only font draws at its nearest strike, so the size is the one Qt chose.
    const int ppem = QFontInfo(font).pixelSize();
    const QRawFont raw = QRawFont::fromFont(font);
    if (raw.isValid()) {
        if (auto m = vdmx_metrics(raw.fontTable("VDMX"), ppem))
            return *m;
        // Qt's units per em of a bitmap-only font is its pixel size; the head table has the real one.
        const auto units_per_em = u16_at(raw.fontTable("head"), 18);
        if (auto m = units_per_em ? os2_metrics(raw.fontTable("OS/2"), *units_per_em, ppem) : std::nullopt)
            return *m;
    }
    const QFontMetrics metrics(font);
    return {metrics.ascent(), metrics.descent()};
}

} // namespace platform
