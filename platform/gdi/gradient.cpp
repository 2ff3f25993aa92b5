#include "platform/gdi/gradient.h"

#include "platform/gdi/floor_steps.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace platform {

namespace {

// The 16-bit channel at d = first, first + 1, ... of `span` steps from a towards b,
// floor((a * (span - d) + b * d) / span), kept as a quotient and remainder so that a step
// needs no division. The byte is its high eight bits, so b itself is never reached inside
// the span.
class Ramp {
public:
    Ramp(int64_t a, int64_t b, int64_t first, int64_t span) : m_steps(a * span + (b - a) * first, b - a, span) { }
    uint8_t byte() const { return uint8_t(m_steps.whole() >> 8); }
    void step() { m_steps.step(); }

private:
    FloorSteps m_steps;
};

// The colour at d = first, first + 1, ... from vertex a towards vertex b.
class Shade {
public:
    Shade(const TRIVERTEX& a, const TRIVERTEX& b, int64_t first, int64_t span)
        : m_red(a.Red, b.Red, first, span), m_green(a.Green, b.Green, first, span),
          m_blue(a.Blue, b.Blue, first, span)
    {
    }
    COLORREF colour() const { return RGB(m_red.byte(), m_green.byte(), m_blue.byte()); }
    void step()
    {
        m_red.step();
        m_green.step();
        m_blue.step();
    }

private:
    Ramp m_red, m_green, m_blue;
};

void fill_rect(Surface& surface, const TRIVERTEX& p, const TRIVERTEX& q, bool vertical)
{
    // The first of the pair is the one at the smaller coordinate along the shading axis.
    const TRIVERTEX* a = &p;
    const TRIVERTEX* b = &q;
    if ((vertical ? b->y < a->y : b->x < a->x))
        std::swap(a, b);
    const int64_t left = std::min(p.x, q.x), right = std::max(p.x, q.x);
    const int64_t top = std::min(p.y, q.y), bottom = std::max(p.y, q.y);
    if (left >= right || top >= bottom)
        return;

    // Only the part on the surface is visited.
    const int x0 = int(std::max<int64_t>(left, 0)), x1 = int(std::min<int64_t>(right, surface.width()));
    const int y0 = int(std::max<int64_t>(top, 0)), y1 = int(std::min<int64_t>(bottom, surface.height()));
    if (x0 >= x1 || y0 >= y1)
        return;

    if (vertical) {
        Shade shade(*a, *b, y0 - top, bottom - top);
        for (int y = y0; y < y1; ++y, shade.step())
            surface.fill_span(y, x0, x1, shade.colour());
        return;
    }
    // Every row of a horizontal shade is the same.
    std::vector<COLORREF> row(size_t(x1 - x0));
    Shade shade(*a, *b, x0 - left, right - left);
    for (COLORREF& colour : row) {
        colour = shade.colour();
        shade.step();
    }
    for (int y = y0; y < y1; ++y)
        surface.put_span(y, x0, row);
}

} // namespace

BOOL GradientFill(HDC dc, const TRIVERTEX* vertices, uint32_t vertex_count, const GRADIENT_RECT* rects,
                  uint32_t rect_count, uint32_t mode)
{
    if (!dc || !vertices || !rects || (mode != GRADIENT_FILL_RECT_H && mode != GRADIENT_FILL_RECT_V))
        return FALSE;
    for (uint32_t i = 0; i < rect_count; ++i) {
        if (rects[i].UpperLeft >= vertex_count || rects[i].LowerRight >= vertex_count)
            return FALSE;
    }
    for (uint32_t i = 0; i < rect_count; ++i)
        fill_rect(*dc->surface, vertices[rects[i].UpperLeft], vertices[rects[i].LowerRight],
                  mode == GRADIENT_FILL_RECT_V);
    return TRUE;
}

} // namespace platform
