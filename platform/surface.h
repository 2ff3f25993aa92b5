#pragma once
// A 32-bit drawing surface of 0x00BBGGRR pixels. Knows nothing of pens or shapes:
// the drawing calls clip through it.

#include "platform/win_types.h"

#include <cstdint>
#include <span>
#include <vector>

namespace platform {

// The most pixels one surface holds: a 2048 x 2048 square, 16 MB, which a full repaint
// covers in a fraction of a second. A button is a few thousand pixels and a full-HD screen
// two million; a size past this is a damaged or hostile one.
inline constexpr int64_t max_surface_area = int64_t(2048) * 2048;

class Surface {
public:
    Surface() = default;
    Surface(int width, int height, COLORREF fill = 0);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool contains(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < m_width && y < m_height;
    }

    // Pixels outside the surface read as CLR_INVALID and are never written.
    COLORREF pixel(int x, int y) const
    {
        return contains(x, y) ? m_pixels[size_t(y) * size_t(m_width) + size_t(x)] : CLR_INVALID;
    }
    void set_pixel(int x, int y, COLORREF colour)
    {
        if (contains(x, y))
            m_pixels[size_t(y) * size_t(m_width) + size_t(x)] = colour & 0x00FFFFFF;
    }

    // Fills columns x0 <= x < x1 of row y, clipped to the surface.
    void fill_span(int y, int x0, int x1, COLORREF colour);
    void fill(COLORREF colour);
    // New size; every pixel becomes `fill`. Past max_surface_area it raises the run time's
    // out-of-memory error and keeps its size and pixels.
    void reset(int width, int height, COLORREF fill);

    std::span<const uint32_t> pixels() const { return m_pixels; }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<uint32_t> m_pixels;
};

} // namespace platform
