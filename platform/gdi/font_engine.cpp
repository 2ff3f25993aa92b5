#include "platform/gdi/font_engine.h"

#include "platform/gdi/sfnt.h"
#include "platform/gdi/strike_font.h"

#include <QByteArray>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QRawFont>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <future>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {

using sfnt::i16_at;
using sfnt::u16_at;
using sfnt::u8_at;

namespace {

// Only the .ttf files: Qt registers the .fon files of the same package but draws
// nothing readable with them.
constexpr const char* bundled_fonts[] = {
    "/usr/share/wine/fonts/tahoma.ttf",
    "/usr/share/wine/fonts/tahomabd.ttf",
    "/usr/share/wine/fonts/ms_sans_serif.ttf",
};
constexpr const char* ms_sans_serif_file = "/usr/share/wine/fonts/ms_sans_serif.ttf";

// A bitmap strike of MS Sans Serif, registered as an outline font of its own.
struct RasterFace {
    int ppem = 0; // the cell height
    QString family;
};

QString raster_family(int ppem)
{
    return QStringLiteral("MS Sans Serif %1px").arg(ppem);
}

// MS Sans Serif is a raster face: Qt would draw only its first strike, and no bold of it. Each
// strike's regular and bold is made and registered the first time a font asks for it: a window
// uses one or two of the six. Only the records are kept; a strike's glyphs are read to make a
// face and let go.
class RasterFaces {
public:
    RasterFaces()
    {
        QFile file(QString::fromLatin1(ms_sans_serif_file));
        if (!file.open(QIODevice::ReadOnly))
            return;
        m_tables = sfnt::read_tables(file.readAll());
        m_records = strike_records(m_tables);
        m_state.assign(m_records.size(), {});
    }

    // GDI draws a raster face at the largest strike whose character height does not exceed the
    // one asked for, else at its smallest. (Past twice the largest it scales a strike up; no
    // window here asks for that.) A strike that cannot be made, or has no glyphs, is passed over.
    std::optional<RasterFace> face_for(int pixels, bool bold)
    {
        std::lock_guard lock(m_mutex);
        for (;;) {
            std::optional<size_t> chosen;
            for (size_t i = 0; i < m_records.size(); ++i)
                if (!m_state[i].failed && (!chosen || m_records[i].ascent <= pixels))
                    chosen = i;
            if (!chosen)
                return std::nullopt;
            const StrikeRecord& record = m_records[*chosen];
            const QString family = raster_family(record.ppem);
            if (made(*chosen, family, bold))
                return RasterFace {record.ppem, family};
        }
    }

private:
    struct State {
        bool made[2] = {false, false}; // regular, bold
        bool failed = false;
    };

    bool made(size_t strike, const QString& family, bool bold)
    {
        State& state = m_state[strike];
        if (!state.made[bold]) {
            const Strike glyphs = read_strike(m_tables, m_records[strike]);
            if (glyphs.glyphs.empty() ||
                QFontDatabase::addApplicationFontFromData(strike_font(m_tables, glyphs, family, bold)) < 0)
                state.failed = true;
            else
                state.made[bold] = true;
        }
        return state.made[bold];
    }

    sfnt::Tables m_tables;
    std::vector<StrikeRecord> m_records; // smallest first
    std::vector<State> m_state;
    std::mutex m_mutex;
};

RasterFaces& raster_faces()
{
    static RasterFaces faces;
    return faces;
}

std::future<void>& preparation()
{
    static std::future<void> prepared;
    return prepared;
}

void register_bundled_fonts()
{
    static const bool registered = [] {
        if (preparation().valid())
            preparation().wait();
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

void prepare_fonts()
{
    if (!preparation().valid())
        preparation() = std::async(std::launch::async, [] {
            FcInit();
            raster_faces();
        });
}

QFont qt_font_for(const StdFont& font)
{
    register_bundled_fonts();
    QString family = QString::fromStdString(font.name);
    int pixels = pixel_size_of(font.size);
    int weight = font.weight <= 0 ? 400 : std::min<int>(font.weight, 1000);
    if (family.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0) {
        if (const auto face = raster_faces().face_for(pixels, font.bold())) {
            family = face->family;
            pixels = face->ppem;
            weight = font.bold() ? 700 : 400; // the face's own weight: Qt adds no bold of its own
        }
    }
    QFont qt(family);
    qt.setPixelSize(pixels);
    qt.setWeight(QFont::Weight(weight));
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
