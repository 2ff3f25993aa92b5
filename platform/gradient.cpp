#include "platform/gradient.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace platform {

namespace {

struct Channels {
    int64_t red, green, blue;
};

Channels channels_of(const TRIVERTEX& v)
{
    return {v.Red, v.Green, v.Blue};
}

// The 16-bit channel at `d` of `span` steps from a towards b, truncated; the
// byte is its high eight bits, so b itself is never reached inside the span.
uint8_t blend(int64_t a, int64_t b, int64_t d, int64_t span)
{
    return uint8_t(((a * (span - d) + b * d) / span) >> 8);
}

COLORREF colour_at(const Channels& a, const Channels& b, int64_t d, int64_t span)
{
    return RGB(blend(a.red, b.red, d, span), blend(a.green, b.green, d, span), blend(a.blue, b.blue, d, span));
}

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

    const Channels ca = channels_of(*a), cb = channels_of(*b);
    if (vertical) {
        for (int y = y0; y < y1; ++y)
            surface.fill_span(y, x0, x1, colour_at(ca, cb, y - top, bottom - top));
        return;
    }
    for (int x = x0; x < x1; ++x) {
        const COLORREF colour = colour_at(ca, cb, x - left, right - left);
        for (int y = y0; y < y1; ++y)
            surface.set_pixel(x, y, colour);
    }
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
