// Arc and RoundRect: outlines traced along the ellipse that fits a box, with Windows' pixels.
//
// The tracer works in half pixels from the ellipse's centre, so that the pixel centres of
// boxes of odd and even size alike fall on integers: the columns of a box w pixels wide sit
// at -(w - 1), -(w - 1) + 2, ..., w - 1. The ellipse passes through the outermost pixel
// centres, so an outline reaches column right - 1 and row bottom - 1.
#include "platform/gdi/raster.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace platform {

namespace {

// Larger boxes and corners are refused: this keeps the tracer's error terms within 64 bits
// and bounds the work of one call.
constexpr int64_t kMaxExtent = int64_t(1) << 15;

struct Box {
    int64_t left, top, width, height;

    int64_t right() const { return left + width; }
    int64_t bottom() const { return top + height; }
    bool empty() const { return width <= 0 || height <= 0; }
};

// The box as given, with left and right, top and bottom put in order.
Box normalised(int left, int top, int right, int bottom)
{
    const int64_t l = std::min(left, right), t = std::min(top, bottom);
    return {l, t, int64_t(std::max(left, right)) - l, int64_t(std::max(top, bottom)) - t};
}

struct Half {
    int64_t x, y; // half pixels from the centre, y downwards
};

// The upper-left quarter of the outline of a w x h ellipse, from the middle of its left side
// to its top, in half pixels from the centre.
std::vector<Half> upper_left_quarter(int64_t w, int64_t h)
{
    const int64_t a = w - 1, b = h - 1; // distances between the outermost pixel centres
    // Zero on the ellipse, negative inside it.
    const auto level = [a, b](int64_t x, int64_t y) { return b * b * x * x + a * a * y * y - a * a * b * b; };
    const auto miss = [&level](int64_t x, int64_t y) { return std::llabs(level(x, y)); };
    const int64_t middle = -(a & 1); // the column on or next to the vertical axis

    std::vector<Half> path;
    path.reserve(size_t((a + b) / 2 + 2));
    Half p {-a, -(b & 1)};
    path.push_back(p);
    // Each step goes up, diagonally or right, to the neighbour that misses the ellipse least;
    // a tie goes to the diagonal, then up. The path stops on reaching the middle column,
    // which cuts the tips of a thin ellipse short.
    while (p.y > -b && p.x < middle) {
        const int64_t up = miss(p.x, p.y - 2), diagonal = miss(p.x + 2, p.y - 2), right = miss(p.x + 2, p.y);
        if (diagonal <= up && diagonal <= right)
            p = {p.x + 2, p.y - 2};
        else if (up <= right)
            p.y -= 2;
        else
            p.x += 2;
        path.push_back(p);
    }
    // A flat ellipse reaches the top row early and runs along it to the middle.
    while (p.x < middle) {
        p.x += 2;
        path.push_back(p);
    }
    // On an even width the middle pair of columns climbs while the next pixel is inside.
    while (middle == -1 && p.y > -b && level(p.x, p.y - 2) <= 0) {
        p.y -= 2;
        path.push_back(p);
    }
    return path;
}

// The whole outline as Arc walks it: counter-clockwise from the right end of the middle row,
// the four quarters in turn, each traced in full, so a point where two quarters meet comes
// twice.
class Outline {
public:
    explicit Outline(const Box& box) : m_box(box), m_quarter(upper_left_quarter(box.width, box.height)) {}

    size_t size() const { return 4 * m_quarter.size(); }
    // 0 upper right, 1 upper left, 2 lower left, 3 lower right.
    int quadrant(size_t i) const { return int(i / m_quarter.size()); }

    POINT pixel(size_t i) const
    {
        const Half p = offset(i);
        return {LONG(m_box.left + (p.x + m_box.width - 1) / 2), LONG(m_box.top + (p.y + m_box.height - 1) / 2)};
    }

    // The point's offset from the centre in whole pixels, cut towards the centre, y upwards:
    // what a ray is compared with.
    Half direction(size_t i) const
    {
        const Half p = offset(i);
        return {p.x / 2, -(p.y / 2)};
    }

private:
    Half offset(size_t i) const
    {
        const size_t n = m_quarter.size(), j = i % n;
        const Half forward = m_quarter[j], backward = m_quarter[n - 1 - j];
        switch (quadrant(i)) {
        case 0:
            return {-forward.x, forward.y};
        case 1:
            return backward;
        case 2:
            return {forward.x, -forward.y};
        default:
            return {-backward.x, -backward.y};
        }
    }

    Box m_box;
    std::vector<Half> m_quarter;
};

struct Ray {
    int quadrant;
    int64_t x, y; // y upwards
};

// The ray from the box's centre pixel (the middle rounded towards the top left) through (x, y).
// A zero offset counts as positive: a ray straight up or down is in a right-hand quadrant, one
// straight left or right in an upper one, and the centre itself in the upper right.
Ray ray_through(const Box& box, int x, int y)
{
    const int64_t dx = x - ((2 * box.left + box.width) >> 1), dy = ((2 * box.top + box.height) >> 1) - y;
    const int quadrant = dx >= 0 ? (dy >= 0 ? 0 : 3) : (dy >= 0 ? 1 : 2);
    return {quadrant, dx, dy};
}

// Whether point i of the outline comes before the ray, counter-clockwise from the start of
// the outline: by quadrant, then by direction. A point exactly on the ray counts as reached
// in the upper quadrants and as passed in the lower ones.
bool before(const Outline& outline, size_t i, const Ray& ray)
{
    const int quadrant = outline.quadrant(i);
    if (quadrant != ray.quadrant)
        return quadrant < ray.quadrant;
    const Half d = outline.direction(i);
    const int64_t turn = ray.x * d.y - ray.y * d.x; // positive: the point lies counter-clockwise of the ray
    return turn < 0 || (turn == 0 && quadrant >= 2);
}

size_t first_reached(const Outline& outline, const Ray& ray)
{
    size_t i = 0;
    while (i < outline.size() && before(outline, i, ray))
        ++i;
    return i;
}

// A corner's size as RoundRect uses it: its magnitude, taken in 32 bits (so -2^31 stays
// negative and counts as none), and no more than the box.
int64_t corner_extent(int size, int64_t box_extent)
{
    return size == INT32_MIN ? 0 : std::min<int64_t>(std::abs(int64_t(size)), box_extent);
}

// Inclusive runs along a row or a column, visiting only the part on the surface.
void row(Surface& surface, int64_t y, int64_t x0, int64_t x1, COLORREF colour)
{
    if (y < 0 || y >= surface.height())
        return;
    const int64_t from = std::max<int64_t>(std::min(x0, x1), 0);
    const int64_t to = std::min<int64_t>(std::max(x0, x1) + 1, surface.width());
    if (from < to)
        surface.fill_span(int(y), int(from), int(to), colour);
}

void column(Surface& surface, int64_t x, int64_t y0, int64_t y1, COLORREF colour)
{
    if (x < 0 || x >= surface.width())
        return;
    const int64_t from = std::max<int64_t>(std::min(y0, y1), 0);
    const int64_t to = std::min<int64_t>(std::max(y0, y1) + 1, surface.height());
    for (int64_t y = from; y < to; ++y)
        surface.set_pixel(int(x), int(y), colour);
}

// The outline of a plain rectangle; a box of one pixel has an outline of no length.
void trace_rectangle(Surface& surface, const Box& box, COLORREF colour)
{
    if (box.width == 1 && box.height == 1)
        return;
    const int64_t right = box.right() - 1, bottom = box.bottom() - 1;
    row(surface, box.top, box.left, right, colour);
    row(surface, bottom, box.left, right, colour);
    column(surface, box.left, box.top, bottom, colour);
    column(surface, right, box.top, bottom, colour);
}

// Each corner is the matching quarter of a corner_w x corner_h ellipse set into that corner
// of the box; straight edges join the quarters' ends.
void trace_rounded(Surface& surface, const Box& box, int64_t corner_w, int64_t corner_h, COLORREF colour)
{
    const std::vector<Half> quarter = upper_left_quarter(corner_w, corner_h);
    const int64_t x_left = box.left, x_right = box.right() - corner_w;
    const int64_t y_top = box.top, y_bottom = box.bottom() - corner_h;
    const auto left_x = [&](Half p) { return x_left + (p.x + corner_w - 1) / 2; };
    const auto right_x = [&](Half p) { return x_right + (corner_w - 1 - p.x) / 2; };
    const auto top_y = [&](Half p) { return y_top + (p.y + corner_h - 1) / 2; };
    const auto bottom_y = [&](Half p) { return y_bottom + (corner_h - 1 - p.y) / 2; };

    for (const Half p : quarter) {
        for (const int64_t x : {left_x(p), right_x(p)}) {
            for (const int64_t y : {top_y(p), bottom_y(p)})
                surface.set_pixel(int(x), int(y), colour); // inside the box, so within int
        }
    }
    const Half side = quarter.front(), tip = quarter.back();
    row(surface, top_y(tip), left_x(tip), right_x(tip), colour);
    row(surface, bottom_y(tip), left_x(tip), right_x(tip), colour);
    column(surface, left_x(side), top_y(side), bottom_y(side), colour);
    column(surface, right_x(side), top_y(side), bottom_y(side), colour);
}

} // namespace

// Pixel rule: the outline's points from the first the start ray reaches up to the one before
// the first the end ray reaches, as a polyline whose last point is not drawn.
BOOL Arc(HDC dc, int left, int top, int right, int bottom, int x_start, int y_start, int x_end, int y_end)
{
    if (!dc)
        return FALSE;
    const Box box = normalised(left, top, right, bottom);
    if (box.empty())
        return TRUE;
    if (box.width > kMaxExtent || box.height > kMaxExtent)
        return FALSE;

    const Outline outline(box);
    const size_t n = outline.size();
    const size_t from = first_reached(outline, ray_through(box, x_start, y_start));
    size_t to = first_reached(outline, ray_through(box, x_end, y_end));
    if (to <= from)
        to += n;
    // A polyline through points from .. to - 1: each step draws the pixel it leaves, so the
    // last point is not drawn, nor is a point repeated by the next one.
    for (size_t i = from; i + 1 < to; ++i) {
        const POINT p = outline.pixel(i % n);
        if (p != outline.pixel((i + 1) % n))
            dc->surface->set_pixel(p.x, p.y, dc->pen);
    }
    return TRUE;
}

// Pixel rule: the corner ellipse's quarters in the box's corners and the straight edges
// between them, every pixel drawn.
BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height)
{
    if (!dc)
        return FALSE;
    const Box box = normalised(left, top, right, bottom);
    if (box.empty())
        return TRUE;
    const int64_t corner_w = corner_extent(width, box.width), corner_h = corner_extent(height, box.height);
    // Corners of two pixels or less leave the box square.
    if (corner_w <= 2 || corner_h <= 2) {
        trace_rectangle(*dc->surface, box, dc->pen);
        return TRUE;
    }
    if (corner_w > kMaxExtent || corner_h > kMaxExtent)
        return FALSE;
    trace_rounded(*dc->surface, box, corner_w, corner_h, dc->pen);
    return TRUE;
}

} // namespace platform
