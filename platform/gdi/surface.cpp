#include "platform/gdi/surface.h"

#include "platform/errors.h"

#include <algorithm>
#include <cwchar>
#include <utility>

namespace platform {

// The C library's wide fill is the fastest fill of 32-bit cells it knows for this processor.
static_assert(sizeof(wchar_t) == sizeof(uint32_t));

void Surface::fill_cells(uint32_t* first, uint32_t* last, uint32_t value)
{
    if (first < last)
        std::wmemset(reinterpret_cast<wchar_t*>(first), wchar_t(value), size_t(last - first));
}

Surface::Surface(int width, int height, COLORREF fill)
{
    reset(width, height, fill);
}

Surface::Surface(const Surface& other)
    : m_width(other.m_width), m_height(other.m_height), m_pixels(other.m_pixels), m_waiting(other.m_waiting)
{
    if (m_waiting)
        m_row_fill = other.m_row_fill;
    // Both now share the pixels: the next write on either side takes its own.
    other.m_owned = false;
}

Surface& Surface::operator=(const Surface& other)
{
    if (this != &other)
        *this = Surface(other);
    return *this;
}

Surface::Surface(Surface&& other) noexcept
    : m_width(std::exchange(other.m_width, 0)), m_height(std::exchange(other.m_height, 0)),
      m_pixels(std::move(other.m_pixels)), m_spare(std::move(other.m_spare)),
      m_row_fill(std::move(other.m_row_fill)), m_waiting(std::exchange(other.m_waiting, 0)),
      m_owned(std::exchange(other.m_owned, false))
{
}

Surface& Surface::operator=(Surface&& other) noexcept
{
    if (this != &other) {
        m_width = std::exchange(other.m_width, 0);
        m_height = std::exchange(other.m_height, 0);
        m_pixels = std::move(other.m_pixels);
        m_spare = std::move(other.m_spare);
        m_row_fill = std::move(other.m_row_fill);
        m_waiting = std::exchange(other.m_waiting, 0);
        m_owned = std::exchange(other.m_owned, false);
    }
    return *this;
}

void Surface::reset(int width, int height, COLORREF fill)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (int64_t(width) * height > max_surface_area)
        throw RuntimeError(ERR_OUT_OF_MEMORY, "Out of memory");
    if (width != m_width || height != m_height) {
        m_width = width;
        m_height = height;
        m_pixels.reset();
        m_spare.reset();
        m_row_fill.clear();
        m_waiting = 0;
    }
    this->fill(fill);
}

void Surface::fill(COLORREF colour)
{
    if (size() == 0)
        return;
    m_row_fill.assign(size_t(m_height), stored(colour));
    m_waiting = m_height;
}

void Surface::own_pixels() const
{
    if (m_pixels && m_pixels.use_count() == 1) {
        m_owned = true;
        return;
    }
    std::shared_ptr<uint32_t[]> own;
    if (m_spare && m_spare.use_count() == 1)
        own = std::move(m_spare);
    else
        own.reset(new uint32_t[size()]);
    // A row that waits for a fill needs no copy.
    if (m_pixels && !m_waiting) {
        std::copy(m_pixels.get(), m_pixels.get() + size(), own.get());
    } else if (m_pixels) {
        for (int y = 0; y < m_height; ++y)
            if (!m_row_fill[size_t(y)])
                std::copy(m_pixels.get() + index(0, y), m_pixels.get() + index(0, y + 1), own.get() + index(0, y));
    }
    m_spare = std::exchange(m_pixels, std::move(own));
    m_owned = true;
}

void Surface::settle() const
{
    if (!m_waiting)
        return;
    own_pixels();
    for (int y = 0; y < m_height; ++y) {
        if (const uint32_t fill = std::exchange(m_row_fill[size_t(y)], 0))
            fill_cells(m_pixels.get() + index(0, y), m_pixels.get() + index(0, y + 1), fill);
    }
    m_waiting = 0;
}

void Surface::prepare_rows(int y0, int y1)
{
    own_pixels();
    for (int y = y0; y < y1 && m_waiting; ++y) {
        if (const uint32_t fill = std::exchange(m_row_fill[size_t(y)], 0)) {
            fill_cells(m_pixels.get() + index(0, y), m_pixels.get() + index(0, y + 1), fill);
            --m_waiting;
        }
    }
}

void Surface::drop_row_fill(int y)
{
    own_pixels();
    if (m_waiting && std::exchange(m_row_fill[size_t(y)], 0))
        --m_waiting;
}

std::span<const uint32_t> Surface::pixels() const
{
    if (size() == 0)
        return {};
    settle();
    return {m_pixels.get(), size()};
}

void Surface::fill_runs(int x, int y, std::span<const Run> runs, COLORREF colour)
{
    // Placed in 64 bits: a run far off the surface must not wrap back onto it.
    for (const Run& run : runs) {
        const int64_t row = int64_t(y) + run.dy;
        if (row < 0 || row >= m_height)
            continue;
        const int x0 = int(std::clamp<int64_t>(int64_t(x) + run.dx0, 0, m_width));
        const int x1 = int(std::clamp<int64_t>(int64_t(x) + run.dx1, 0, m_width));
        fill_span(int(row), x0, x1, colour);
    }
}

void Surface::fill_column(int x, int y0, int y1, COLORREF colour)
{
    if (x < 0 || x >= m_width)
        return;
    y0 = std::max(y0, 0);
    y1 = std::min(y1, m_height);
    if (y0 >= y1)
        return;
    if (!m_owned || m_waiting)
        prepare_rows(y0, y1);
    const uint32_t value = stored(colour);
    for (uint32_t* p = m_pixels.get() + index(x, y0), *end = m_pixels.get() + index(x, y1); p != end; p += m_width)
        *p = value;
}

void Surface::put_span(int y, int x0, std::span<const COLORREF> colours)
{
    if (y < 0 || y >= m_height)
        return;
    const int64_t first = std::max<int64_t>(x0, 0);
    const int64_t last = std::min<int64_t>(int64_t(x0) + int64_t(colours.size()), m_width);
    if (first >= last)
        return;
    if (first == 0 && last == m_width)
        drop_row_fill(y);
    else if (!row_ready(y))
        prepare_rows(y, y + 1);
    uint32_t* row = m_pixels.get() + index(0, y);
    for (int64_t x = first; x < last; ++x)
        row[x] = stored(colours[size_t(x - x0)]);
}

} // namespace platform
