#pragma once
// Regions: sets of pixels kept as horizontal spans, as the window-shape calls make them.

#include "platform/win_types.h"

#include <cstdint>
#include <span>
#include <vector>

class QRegion;

namespace platform {

inline constexpr int ALTERNATE = 1;
inline constexpr int WINDING = 2;

// Regions live in the 16-bit coordinate space of old GDI: boxes are clamped to it and
// polygons cut at its edge, so a region never has more than 65536 rows, whatever the input.
inline constexpr int REGION_COORD_MIN = -32768;
inline constexpr int REGION_COORD_MAX = 32767;

class Region {
public:
    // Columns x0 <= x < x1.
    struct Span {
        int x0 = 0;
        int x1 = 0;
        friend bool operator==(const Span&, const Span&) = default;
    };
    // Rows y0 <= y < y1, all covered by the same spans: spans()[first, first + count).
    struct Band {
        int y0 = 0;
        int y1 = 0;
        uint32_t first = 0;
        uint32_t count = 0;
        friend bool operator==(const Band&, const Band&) = default;
    };

    Region() = default;

    // The empty region a failed construction gives (out of memory, bad arguments), as
    // a Create call that would answer NULL.
    static Region failure();

    bool is_empty() const { return m_bands.empty(); }
    bool failed() const { return m_failed; }
    bool contains(int x, int y) const;
    // The smallest rectangle holding every pixel; all zero when empty.
    RECT bounds() const;

    const std::vector<Band>& bands() const { return m_bands; }
    std::span<const Span> spans(const Band& band) const
    {
        return std::span<const Span>(m_spans).subspan(band.first, band.count);
    }

    // True when the invariant holds (see region.cpp).
    bool is_valid() const;

    friend bool operator==(const Region&, const Region&) = default;

private:
    friend class RegionBuilder;

    std::vector<Band> m_bands;
    std::vector<Span> m_spans;
    bool m_failed = false;
};

// Regions stop one pixel before the outline: a region for the box (l, t, r, b) covers
// the outline that the pen draws for (l, t, r - 1, b - 1), and what lies inside it.
Region CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height);
Region CreateEllipticRgn(int left, int top, int right, int bottom);
// Fewer than three points give an empty region; no points, a negative count or an
// unknown fill mode give failure().
Region CreatePolygonRgn(const POINT* points, int count, int fill_mode);

QRegion to_qregion(const Region& region);

} // namespace platform
