#include "platform/surface.h"

#include "platform/errors.h"

#include <algorithm>

namespace platform {

Surface::Surface(int width, int height, COLORREF fill)
{
    reset(width, height, fill);
}

void Surface::reset(int width, int height, COLORREF fill)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (int64_t(width) * height > max_surface_area)
        throw RuntimeError(ERR_OUT_OF_MEMORY, "Out of memory");
    m_width = width;
    m_height = height;
    m_pixels.assign(size_t(m_width) * size_t(m_height), fill & 0x00FFFFFF);
}

void Surface::fill(COLORREF colour)
{
    std::fill(m_pixels.begin(), m_pixels.end(), colour & 0x00FFFFFF);
}

void Surface::fill_span(int y, int x0, int x1, COLORREF colour)
{
    if (y < 0 || y >= m_height)
        return;
    x0 = std::max(x0, 0);
    x1 = std::min(x1, m_width);
    if (x0 >= x1)
        return;
    auto row = m_pixels.begin() + ptrdiff_t(y) * m_width;
    std::fill(row + x0, row + x1, colour & 0x00FFFFFF);
}

} // namespace platform
