#include "platform/surface.h"

#include <algorithm>
#include <utility>

namespace platform {

Surface::Surface(int width, int height, COLORREF fill)
{
    reset(width, height, fill);
}

Surface::Surface(const Surface& other)
    : m_width(other.m_width), m_height(other.m_height), m_pixels(other.m_pixels), m_fill(other.m_fill),
      m_fill_from(other.m_fill_from), m_fill_to(other.m_fill_to)
{
    // Both now share the pixels: the next write on either side takes its own.
    other.m_writable = false;
}

Surface& Surface::operator=(const Surface& other)
{
    if (this != &other)
        *this = Surface(other);
    return *this;
}

Surface::Surface(Surface&& other) noexcept
    : m_width(std::exchange(other.m_width, 0)), m_height(std::exchange(other.m_height, 0)),
      m_pixels(std::move(other.m_pixels)), m_spare(std::move(other.m_spare)), m_fill(other.m_fill),
      m_fill_from(std::exchange(other.m_fill_from, 0)), m_fill_to(std::exchange(other.m_fill_to, 0)),
      m_writable(std::exchange(other.m_writable, false))
{
}

Surface& Surface::operator=(Surface&& other) noexcept
{
    if (this != &other) {
        m_width = std::exchange(other.m_width, 0);
        m_height = std::exchange(other.m_height, 0);
        m_pixels = std::move(other.m_pixels);
        m_spare = std::move(other.m_spare);
        m_fill = other.m_fill;
        m_fill_from = std::exchange(other.m_fill_from, 0);
        m_fill_to = std::exchange(other.m_fill_to, 0);
        m_writable = std::exchange(other.m_writable, false);
    }
    return *this;
}

void Surface::reset(int width, int height, COLORREF fill)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width != m_width || height != m_height) {
        m_width = width;
        m_height = height;
        m_pixels.reset();
        m_spare.reset();
    }
    this->fill(fill);
}

void Surface::fill(COLORREF colour)
{
    m_fill = stored(colour);
    m_fill_from = 0;
    m_fill_to = m_height;
    m_writable = false;
}

void Surface::own_pixels() const
{
    if (m_pixels && m_pixels.use_count() == 1)
        return;
    std::shared_ptr<uint32_t[]> own;
    if (m_spare && m_spare.use_count() == 1)
        own = std::move(m_spare);
    else
        own.reset(new uint32_t[size()]);
    // What the fill has not reached needs no copy: it reads as the fill.
    if (m_pixels) {
        const uint32_t* from = m_pixels.get();
        std::copy(from, from + index(0, m_fill_from), own.get());
        std::copy(from + index(0, m_fill_to), from + size(), own.get() + index(0, m_fill_to));
    }
    m_spare = std::exchange(m_pixels, std::move(own));
}

void Surface::settle_fill() const
{
    if (m_fill_from >= m_fill_to)
        return;
    own_pixels();
    std::fill(m_pixels.get() + index(0, m_fill_from), m_pixels.get() + index(0, m_fill_to), m_fill);
    m_fill_from = m_fill_to = 0;
}

void Surface::prepare_rows(int y0, int y1, bool whole)
{
    own_pixels();
    if (y0 < m_fill_to && y1 > m_fill_from) {
        // One row written whole at an edge of the fill's rows leaves them without the fill.
        if (whole && y1 - y0 == 1 && y0 == m_fill_from)
            ++m_fill_from;
        else if (whole && y1 - y0 == 1 && y0 == m_fill_to - 1)
            --m_fill_to;
        else
            settle_fill();
    }
    if (m_fill_from >= m_fill_to) {
        m_fill_from = m_fill_to = 0;
        m_writable = true;
    }
}

std::span<const uint32_t> Surface::pixels() const
{
    if (size() == 0)
        return {};
    if (!m_pixels || m_fill_from < m_fill_to)
        settle_fill();
    return {m_pixels.get(), size()};
}

void Surface::fill_span(int y, int x0, int x1, COLORREF colour)
{
    if (y < 0 || y >= m_height)
        return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, m_width);
    if (x0 >= x1)
        return;
    if (!m_writable)
        prepare_rows(y, y + 1, x0 == 0 && x1 == m_width);
    uint32_t* row = m_pixels.get() + index(0, y);
    std::fill(row + x0, row + x1, stored(colour));
}

void Surface::fill_column(int x, int y0, int y1, COLORREF colour)
{
    if (x < 0 || x >= m_width)
        return;
    y0 = std::max(y0, 0);
    y1 = std::min(y1, m_height);
    if (y0 >= y1)
        return;
    if (!m_writable)
        prepare_rows(y0, y1, m_width == 1);
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
    if (!m_writable)
        prepare_rows(y, y + 1, first == 0 && last == m_width);
    uint32_t* row = m_pixels.get() + index(0, y);
    for (int64_t x = first; x < last; ++x)
        row[x] = stored(colours[size_t(x - x0)]);
}

} // namespace platform
