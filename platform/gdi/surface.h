#pragma once
// A 32-bit drawing surface. Knows nothing of pens or shapes: the drawing calls clip through it.
//
// Its callers read and write 0x00BBGGRR colours; it keeps them in the layout of a Qt RGB32
// image (0xFFRRGGBB), so that a window shows an opaque surface as a plain copy. Two kinds of
// work are put off until a pixel needs them: a fill of whole rows in one colour (the row reads
// as that colour and is written only when a part of it changes or its pixels are read, so a
// fill that the next one covers costs nothing), and the copy of a surface (both share the
// pixels until one of them writes).

#include "platform/win_types.h"

#include <algorithm>
#include <cstdint>
#include <memory>
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
        if (m_waiting && m_row_fill[size_t(y)])
            return colour_of(m_row_fill[size_t(y)]);
        return colour_of(m_pixels[index(x, y)]);
    }
    void set_pixel(int x, int y, COLORREF colour)
    {
        if (!contains(x, y))
            return;
        if (!row_ready(y))
            prepare_rows(y, y + 1);
        m_pixels[index(x, y)] = stored(colour);
    }

    // Fills columns x0 <= x < x1 of row y, clipped to the surface.
    void fill_span(int y, int x0, int x1, COLORREF colour)
    {
        if (y < 0 || y >= m_height)
            return;
        x0 = std::max(x0, 0);
        x1 = std::min(x1, m_width);
        if (x0 >= x1)
            return;
        if (x0 == 0 && x1 == m_width) {
            fill_row(y, stored(colour));
            return;
        }
        if (!row_ready(y))
            prepare_rows(y, y + 1);
        uint32_t* row = m_pixels.get() + index(0, y);
        if (x1 - x0 < 16) { // a glyph's run: not worth a call
            for (int x = x0; x < x1; ++x)
                row[x] = stored(colour);
            return;
        }
        fill_cells(row + x0, row + x1, stored(colour));
    }
    // A run of pixels relative to a point: columns dx0 <= dx < dx1 of row dy.
    struct Run {
        int dy, dx0, dx1;
    };
    // Fills every run placed at (x, y), clipped to the surface.
    void fill_runs(int x, int y, std::span<const Run> runs, COLORREF colour);
    // Fills rows y0 <= y < y1 of column x, clipped to the surface.
    void fill_column(int x, int y0, int y1, COLORREF colour);
    // Row y from column x0 on takes `colours`, clipped to the surface.
    void put_span(int y, int x0, std::span<const COLORREF> colours);
    void fill(COLORREF colour);
    // New size; every pixel becomes `fill`. Past max_surface_area it raises the run time's
    // out-of-memory error and keeps its size and pixels.
    void reset(int width, int height, COLORREF fill);

    // Every pixel in stored form, row by row.
    std::span<const uint32_t> pixels() const;

private:
    size_t index(int x, int y) const { return size_t(y) * size_t(m_width) + size_t(x); }
    size_t size() const { return size_t(m_width) * size_t(m_height); }
    // Row y can be written in part as it is.
    bool row_ready(int y) const { return m_owned && (!m_waiting || !m_row_fill[size_t(y)]); }
    // Rows y0 <= y < y1 are about to be written in part: the pixels become this surface's
    // own, and those rows get the fill they wait for.
    void prepare_rows(int y0, int y1);
    // Row y is about to be written whole: it needs its fill no more.
    void drop_row_fill(int y);
    // Row y is to read as `value` (stored form) all along.
    void fill_row(int y, uint32_t value)
    {
        if (m_row_fill.empty())
            m_row_fill.assign(size_t(m_height), 0);
        uint32_t& fill = m_row_fill[size_t(y)];
        m_waiting += fill == 0;
        fill = value;
    }
    static void fill_cells(uint32_t* first, uint32_t* last, uint32_t value);
    // Owns its pixels alone; rows that wait for a fill are left as they are.
    void own_pixels() const;
    // Writes every fill that waits.
    void settle() const;

    int m_width = 0;
    int m_height = 0;
    // Written lazily by the const readers too, so these change under a const surface.
    mutable std::shared_ptr<uint32_t[]> m_pixels;
    // Pixels a copy shared, taken back for the next write once the copy lets them go.
    mutable std::shared_ptr<uint32_t[]> m_spare;
    // Per row, the stored colour the row waits for, or 0 (no stored colour is 0).
    mutable std::vector<uint32_t> m_row_fill;
    mutable int m_waiting = 0;    // rows that wait for a fill
    mutable bool m_owned = false; // no copy shares the pixels
};

} // namespace platform
