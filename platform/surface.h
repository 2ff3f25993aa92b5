#pragma once
// A 32-bit drawing surface. Knows nothing of pens or shapes: the drawing calls clip through it.
//
// Its callers read and write 0x00BBGGRR colours; it keeps them in the layout of a Qt RGB32
// image (0xFFRRGGBB), so that a window shows an opaque surface as a plain copy. Two kinds of
// work are put off until a pixel needs them: a fill of the whole surface (the rows it has not
// written yet read as its colour, and a row written whole never gets it), and the copy of a
// surface (both share the pixels until one of them writes).

#include "platform/win_types.h"

#include <cstdint>
#include <memory>
#include <span>

namespace platform {

class Surface {
public:
    Surface() = default;
    Surface(int width, int height, COLORREF fill = 0);
    Surface(const Surface& other);
    Surface& operator=(const Surface& other);
    Surface(Surface&& other) noexcept;
    Surface& operator=(Surface&& other) noexcept;

    // The stored form of a colour, and back.
    static constexpr uint32_t stored(COLORREF c)
    {
        return 0xFF000000u | (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
    }
    static constexpr COLORREF colour_of(uint32_t p) { return (p & 0xFFu) << 16 | (p & 0xFF00u) | (p >> 16 & 0xFFu); }

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool contains(int x, int y) const
    {
        return x >= 0 && y >= 0 && x < m_width && y < m_height;
    }

    // Pixels outside the surface read as CLR_INVALID and are never written.
    COLORREF pixel(int x, int y) const
    {
        if (!contains(x, y))
            return CLR_INVALID;
        if (y >= m_fill_from && y < m_fill_to)
            return colour_of(m_fill);
        return colour_of(m_pixels[index(x, y)]);
    }
    void set_pixel(int x, int y, COLORREF colour)
    {
        if (!contains(x, y))
            return;
        if (!m_writable)
            prepare_rows(y, y + 1, false);
        m_pixels[index(x, y)] = stored(colour);
    }

    // Fills columns x0 <= x < x1 of row y, clipped to the surface.
    void fill_span(int y, int x0, int x1, COLORREF colour);
    // Fills rows y0 <= y < y1 of column x, clipped to the surface.
    void fill_column(int x, int y0, int y1, COLORREF colour);
    // Row y from column x0 on takes `colours`, clipped to the surface.
    void put_span(int y, int x0, std::span<const COLORREF> colours);
    void fill(COLORREF colour);
    // New size; every pixel becomes `fill`.
    void reset(int width, int height, COLORREF fill);

    // Every pixel in stored form, row by row.
    std::span<const uint32_t> pixels() const;

private:
    size_t index(int x, int y) const { return size_t(y) * size_t(m_width) + size_t(x); }
    size_t size() const { return size_t(m_width) * size_t(m_height); }
    // Rows y0 <= y < y1 are about to be written, `whole` or in part: the pixels become this
    // surface's own, and those rows hold the fill first unless one row is written whole.
    void prepare_rows(int y0, int y1, bool whole);
    // Owns its pixels alone; the rows the fill has not reached are left as they are.
    void own_pixels() const;
    // Writes the fill into the rows it has not reached.
    void settle_fill() const;

    int m_width = 0;
    int m_height = 0;
    // Written lazily by the const readers too, so these change under a const surface.
    mutable std::shared_ptr<uint32_t[]> m_pixels;
    // Pixels a copy shared, taken back for the next write once the copy lets them go.
    mutable std::shared_ptr<uint32_t[]> m_spare;
    uint32_t m_fill = 0;
    mutable int m_fill_from = 0, m_fill_to = 0; // rows that read as the fill
    mutable bool m_writable = false;            // owns its pixels and no row awaits the fill
};

} // namespace platform
