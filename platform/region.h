#pragma once
// Regions: sets of pixels kept as horizontal spans, as the window-shape calls make them.

#include "platform/win_types.h"

#include <vector>

class QRegion;

namespace platform {

inline constexpr int ALTERNATE = 1;
inline constexpr int WINDING = 2;

class Region {
public:
    // Columns x0 <= x < x1 of rows y0 <= y < y1.
    struct Span {
        int x0 = 0;
        int x1 = 0;
        friend bool operator==(const Span&, const Span&) = default;
    };
    struct Band {
        int y0 = 0;
        int y1 = 0;
        std::vector<Span> spans;
        friend bool operator==(const Band&, const Band&) = default;
    };

    Region() = default;

    bool is_empty() const { return m_bands.empty(); }
    bool contains(int x, int y) const;
    RECT bounds() const;
    const std::vector<Band>& bands() const { return m_bands; }

    // Builds a region from the covered columns of each row, given row by row from `top`.
    static Region from_rows(int top, const std::vector<std::vector<Span>>& rows);

    // True when the invariant holds (see region.cpp).
    bool is_valid() const;

    friend bool operator==(const Region&, const Region&) = default;

private:
    std::vector<Band> m_bands;
};

Region CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height);
Region CreateEllipticRgn(int left, int top, int right, int bottom);
Region CreatePolygonRgn(const POINT* points, int count, int fill_mode);

QRegion to_qregion(const Region& region);

} // namespace platform
