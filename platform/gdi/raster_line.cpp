#include "platform/gdi/raster.h"

#include "platform/gdi/floor_steps.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <utility>

namespace platform {

namespace {

// One coordinate of a line: where it starts, how far it goes, and the surface's size along it.
struct Axis {
    int64_t start;
    int64_t delta;
    int64_t extent;
};

// Steps t = 0 .. length - 1 along the major axis, clipped to the surface, and plots
// (major, minor). Pixel rule: the nearest pixel to the ideal line, a half-way point
// going to the smaller minor coordinate: minor = start + floor((delta * t + (length - 1) / 2) / length).
template <typename Plot>
void walk(Axis major, Axis minor, Plot plot)
{
    const int64_t length = std::abs(major.delta);
    const int64_t step = major.delta > 0 ? 1 : -1;
    const int64_t first = std::max<int64_t>(0, step > 0 ? -major.start : major.start - major.extent + 1);
    const int64_t last = std::min(length, step > 0 ? major.extent - major.start : major.start + 1);
    if (first >= last)
        return;
    FloorSteps minor_offset(FloorSteps::Wide(minor.delta) * first + (length - 1) / 2, minor.delta, length);
    for (int64_t t = first; t < last; ++t, minor_offset.step())
        plot(major.start + step * t, minor.start + minor_offset.whole());
}

// The cells a run covers from `start` up to, not including, `end`, as [first, last), kept
// within int without moving them across a surface of `extent` cells.
std::pair<int, int> run_cells(int64_t start, int64_t end, int extent)
{
    const int64_t first = end > start ? start : end + 1;
    const int64_t last = end > start ? end : start + 1;
    auto keep = [extent](int64_t v) { return int(std::clamp<int64_t>(v, -1, int64_t(extent) + 1)); };
    return {keep(first), keep(last)};
}

} // namespace

void raster::stroke_line(Surface& surface, POINT from, POINT to, COLORREF colour)
{
    const Axis x {from.x, int64_t(to.x) - from.x, surface.width()};
    const Axis y {from.y, int64_t(to.y) - from.y, surface.height()};
    if (x.delta == 0 && y.delta == 0)
        return;
    // A level or upright line is one run of the pixels the walk would visit.
    if (y.delta == 0) {
        const auto [x0, x1] = run_cells(from.x, to.x, surface.width());
        surface.fill_span(from.y, x0, x1, colour);
        return;
    }
    if (x.delta == 0) {
        const auto [y0, y1] = run_cells(from.y, to.y, surface.height());
        surface.fill_column(from.x, y0, y1, colour);
        return;
    }
    // The minor coordinate lies between the two end points, so it fits an int.
    if (std::abs(x.delta) >= std::abs(y.delta))
        walk(x, y, [&](int64_t px, int64_t py) { surface.set_pixel(int(px), int(py), colour); });
    else
        walk(y, x, [&](int64_t py, int64_t px) { surface.set_pixel(int(px), int(py), colour); });
}

BOOL LineTo(HDC dc, int x, int y)
{
    if (!dc)
        return FALSE;
    raster::stroke_line(*dc->surface, dc->position, {x, y}, dc->pen);
    dc->position = {x, y};
    return TRUE;
}

// The closed polyline through the points: each edge leaves out its end point, which the
// next edge starts on, so every vertex is drawn. The current position stays where it was.
BOOL Polygon(HDC dc, const POINT* points, int count)
{
    if (!dc || !points || count < 2)
        return FALSE;
    for (int i = 0; i < count; ++i)
        raster::stroke_line(*dc->surface, points[i], points[(i + 1) % count], dc->pen);
    return TRUE;
}

} // namespace platform
