// Regions as bands of rows holding spans of columns, built the way GDI builds them.
//
// Invariant (checked by Region::is_valid, which every construction runs before it hands a
// region out; a region that fails it becomes Region::failure(), never a broken one):
//  - bands are sorted by y and do not overlap: y0 < y1, and y1 <= the next band's y0;
//  - every band has at least one span; its spans are sorted by x, x0 < x1, and do not
//    touch: x1 < the next span's x0;
//  - two bands that touch (y1 == the next y0) have different spans, or they would be one;
//  - the bands' span ranges follow each other and use every span exactly once;
//  - a failed region has no bands.

#include "platform/gdi/region.h"

#include "platform/gdi/floor_steps.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>

namespace platform {

class RegionBuilder {
public:
    explicit RegionBuilder(size_t rows_hint)
    {
        m_region.m_bands.reserve(rows_hint);
        m_region.m_spans.reserve(rows_hint);
    }

    // A row is built in place: add_span for each of its spans, left to right, sorted and
    // not touching, then end_row. Rows come in increasing y.
    void add_span(int x0, int x1) { m_region.m_spans.push_back({x0, x1}); }

    // A row with no spans adds nothing; one equal to the row above only makes the band
    // above taller. The band above holds the spans just before this row's.
    void end_row(int y)
    {
        auto& spans = m_region.m_spans;
        auto& bands = m_region.m_bands;
        const size_t count = spans.size() - m_row_start;
        if (count == 0)
            return;
        if (!bands.empty()) {
            Region::Band& above = bands.back();
            const auto row = spans.begin() + ptrdiff_t(m_row_start);
            if (above.y1 == y && above.count == count && std::equal(row - ptrdiff_t(count), row, row)) {
                ++above.y1;
                spans.resize(m_row_start);
                return;
            }
        }
        bands.push_back({y, y + 1, uint32_t(m_row_start), uint32_t(count)});
        m_row_start = spans.size();
    }

    void add_row(int y, int x0, int x1)
    {
        if (x0 < x1) {
            add_span(x0, x1);
            end_row(y);
        }
    }

    Region finish() &&
    {
        return m_region.is_valid() ? std::move(m_region) : Region::failure();
    }

private:
    Region m_region;
    size_t m_row_start = 0; // where the row being built starts in m_region.m_spans
};

Region Region::failure()
{
    Region region;
    region.m_failed = true;
    return region;
}

bool Region::contains(int x, int y) const
{
    auto band = std::ranges::upper_bound(m_bands, y, {}, &Band::y1);
    if (band == m_bands.end() || band->y0 > y)
        return false;
    auto row = spans(*band);
    auto span = std::ranges::upper_bound(row, x, {}, &Span::x1);
    return span != row.end() && span->x0 <= x;
}

RECT Region::bounds() const
{
    if (m_bands.empty())
        return {};
    RECT box {m_spans.front().x0, m_bands.front().y0, m_spans.front().x1, m_bands.back().y1};
    for (const Band& band : m_bands) {
        auto row = spans(band);
        box.left = std::min(box.left, row.front().x0);
        box.right = std::max(box.right, row.back().x1);
    }
    return box;
}

bool Region::is_valid() const
{
    if (m_failed && (!m_bands.empty() || !m_spans.empty()))
        return false;
    size_t next_span = 0;
    for (size_t i = 0; i < m_bands.size(); ++i) {
        const Band& band = m_bands[i];
        if (band.y0 >= band.y1 || band.count == 0 || band.first != next_span ||
            size_t(band.first) + band.count > m_spans.size())
            return false;
        next_span = size_t(band.first) + band.count;
        auto row = spans(band);
        for (size_t s = 0; s < row.size(); ++s) {
            if (row[s].x0 >= row[s].x1 || (s > 0 && row[s - 1].x1 >= row[s].x0))
                return false;
        }
        if (i > 0) {
            const Band& above = m_bands[i - 1];
            if (above.y1 > band.y0 || (above.y1 == band.y0 && std::ranges::equal(spans(above), row)))
                return false;
        }
    }
    return next_span == m_spans.size();
}

namespace {

// Products of two doubled coordinates squared need more than 64 bits.
using Wide = __int128;

// The pixels the pen's outline spans for a box: columns left..left+width-1, rows
// top..top+height-1.
struct PenBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Orders a and b, takes b one in, orders them again (so a == b gives a - 1 .. a), and
// clamps both to the region coordinate range.
std::pair<int, int> pen_extent(int a, int b)
{
    int64_t low = std::min(a, b), high = std::max(a, b);
    --high;
    if (low > high)
        std::swap(low, high);
    return {int(std::clamp<int64_t>(low, REGION_COORD_MIN, REGION_COORD_MAX)),
            int(std::clamp<int64_t>(high, REGION_COORD_MIN, REGION_COORD_MAX))};
}

// The pen box of a region box: one pixel in on the right and bottom.
PenBox pen_box(int left, int top, int right, int bottom)
{
    const auto [l, r] = pen_extent(left, right);
    const auto [t, b] = pen_extent(top, bottom);
    return {l, t, r - l, b - t};
}

// Half-widths of the pen's ellipse in a w x h box of pixels (w, h >= 2), in doubled
// coordinates from the centre, for each row of the top half from the middle up;
// NOT_REACHED for a row the outline does not reach (the tip of a thin ellipse).
//
// The walk goes round the top-right quarter from the right end of the middle row towards
// the top, each step to the neighbour (up-left, up or left, preferred in that order on a
// tie) whose centre comes closest to the ellipse by |F|, F = B²X² + A²Y² - A²B² with
// A = w - 1 and B = h - 1. In the centre column of an even width it climbs only while the
// next centre is inside the ellipse; past that it may step across the axis into the row
// above, whose half-width -1 covers nothing of an ellipse but leaves the straight middle
// of a round rectangle's row.
class EllipseQuarter {
public:
    static constexpr int NOT_REACHED = INT_MIN;

    EllipseQuarter(int w, int h)
        : m_a(w - 1), m_b(h - 1), m_low(m_b & 1), m_half_width(size_t((m_b - m_low) / 2 + 1), NOT_REACHED)
    {
        walk();
    }

    // Half-width of pixel row `row` (0 = top) of the box.
    int half_width(int row) const
    {
        const int y = std::abs(m_b - 2 * row);
        return m_half_width[size_t((y - m_low) / 2)];
    }

    int doubled_width() const { return m_a; }

private:
    Wide f(int x, int y) const
    {
        const Wide a2 = Wide(m_a) * m_a, b2 = Wide(m_b) * m_b;
        return b2 * x * x + a2 * y * y - a2 * b2;
    }
    Wide error(int x, int y) const
    {
        const Wide v = f(x, y);
        return v < 0 ? -v : v;
    }
    void record(int x, int y)
    {
        int& slot = m_half_width[size_t((y - m_low) / 2)];
        slot = std::max(slot, x);
    }

    void walk()
    {
        int x = m_a, y = m_low;
        record(x, y);
        while (x > 0) {
            const bool can_climb = y < m_b;
            if (x == 1) {
                // Centre column of an even width: climb while inside; outside, cross the
                // axis into the row above when that is closer than staying, and stop.
                if (!can_climb)
                    break;
                const Wide up = f(x, y + 2);
                if (up > 0) {
                    if (up > error(x, y))
                        break;
                    x = -1;
                }
                y += 2;
            } else {
                const Wide left = error(x - 2, y);
                const Wide diagonal = can_climb ? error(x - 2, y + 2) : left + 1;
                const Wide up = can_climb ? error(x, y + 2) : left + 1;
                if (diagonal <= up && diagonal <= left) {
                    x -= 2;
                    y += 2;
                } else if (up <= left) {
                    y += 2;
                } else {
                    x -= 2;
                }
            }
            record(x, y);
        }
    }

    int m_a;
    int m_b;
    int m_low;
    std::vector<int> m_half_width;
};

// A pen box with corners cut by quarters of a corner_w x corner_h ellipse: the corner
// ellipse's top half forms the top rows, its bottom half the bottom rows, its left and
// right halves the ends of each row; the rows between are full.
Region round_box(const PenBox& box, int corner_w, int corner_h)
{
    RegionBuilder region(size_t(box.height));
    const int right = box.left + box.width;
    if (corner_w <= 1 || corner_h <= 1) {
        for (int y = 0; y < box.height; ++y)
            region.add_row(box.top + y, box.left, right);
        return std::move(region).finish();
    }
    const EllipseQuarter corner(corner_w, corner_h);
    const int a = corner.doubled_width();
    const int top_rows = (corner_h + 1) / 2;
    const int bottom_start = box.height - corner_h + top_rows;
    for (int y = 0; y < box.height; ++y) {
        if (y >= top_rows && y < bottom_start) {
            region.add_row(box.top + y, box.left, right);
            continue;
        }
        const int x = corner.half_width(y < top_rows ? y : y - (box.height - corner_h));
        if (x == EllipseQuarter::NOT_REACHED)
            continue;
        region.add_row(box.top + y, box.left + (a - x) / 2, right - corner_w + (a + x) / 2 + 1);
    }
    return std::move(region).finish();
}

} // namespace

// Region stops one pixel before the outline.
Region CreateRoundRectRgn(int left, int top, int right, int bottom, int width, int height)
{
    try {
        const PenBox box = pen_box(left, top, right, bottom);
        if (box.width <= 0 || box.height <= 0)
            return {};
        const int corner_w = int(std::min<int64_t>(std::abs(int64_t(width)), box.width));
        const int corner_h = int(std::min<int64_t>(std::abs(int64_t(height)), box.height));
        return round_box(box, corner_w, corner_h);
    } catch (const std::bad_alloc&) {
        return Region::failure();
    }
}

// Region stops one pixel before the outline.
Region CreateEllipticRgn(int left, int top, int right, int bottom)
{
    try {
        const PenBox box = pen_box(left, top, right, bottom);
        if (box.width <= 0 || box.height <= 0)
            return {};
        return round_box(box, box.width, box.height);
    } catch (const std::bad_alloc&) {
        return Region::failure();
    }
}

namespace {

// One edge, top to bottom, walked a row at a time. In row y it crosses at
// x_top + dx * (y - y_top) / dy; `column`, the first column at or right of that, is kept
// exactly by adding dx / dy as a whole part and a remainder each row, without dividing.
struct Edge {
    int64_t x_top = 0;
    int64_t y_top = 0;
    int64_t y_bottom = 0;
    int64_t dx = 0;
    int64_t dy = 0;  // > 0
    int winding = 0; // +1 going down, -1 going up

    int64_t column = 0;
    FloorSteps offset {0, 0, 1}; // floor(dx * (y - y_top) / dy) and its remainder

    // The walk's first row, y_top or a later one where the polygon is cut at the top.
    void start(int64_t y)
    {
        offset = FloorSteps(Wide(dx) * (y - y_top), dx, dy);
        column = crossing_column();
    }

    void next_row()
    {
        offset.step();
        column = crossing_column();
    }

    int64_t crossing_column() const { return x_top + offset.whole() + (offset.part() != 0); }
};

std::vector<Edge> polygon_edges(const POINT* points, int count)
{
    std::vector<Edge> edges;
    edges.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const POINT p = points[i], q = points[(i + 1) % count];
        if (p.y == q.y)
            continue;
        const POINT top = p.y < q.y ? p : q, bottom = p.y < q.y ? q : p;
        Edge edge;
        edge.x_top = top.x;
        edge.y_top = top.y;
        edge.y_bottom = bottom.y;
        edge.dx = int64_t(bottom.x) - top.x;
        edge.dy = int64_t(bottom.y) - top.y;
        edge.winding = p.y < q.y ? 1 : -1;
        edges.push_back(edge);
    }
    std::ranges::sort(edges, {}, &Edge::y_top);
    return edges;
}

// The active edges by column. From one row to the next they are nearly in order already
// (two swap where they cross), so insertion sort does it in a pass. A row where many edges
// join, or where insertion sort has to move more than a few per edge, gets a full sort
// instead, so that a comb of edges crossing each other is not quadratic.
void sort_by_column(std::vector<Edge*>& active, size_t joined)
{
    auto column_less = [](const Edge* a, const Edge* b) { return a->column < b->column; };
    if (joined <= 8) {
        const size_t budget = 4 * active.size();
        size_t moves = 0;
        for (size_t i = 1; i < active.size() && moves <= budget; ++i) {
            Edge* edge = active[i];
            size_t j = i;
            for (; j > 0 && column_less(edge, active[j - 1]); --j)
                active[j] = active[j - 1];
            active[j] = edge;
            moves += i - j;
        }
        if (moves <= budget)
            return;
    }
    std::ranges::sort(active, column_less);
}

// Column x is inside by the crossings at or left of it, taken all at once.
void add_spans(RegionBuilder& region, const std::vector<Edge*>& active, int fill_mode)
{
    auto inside = [fill_mode](int n) { return fill_mode == WINDING ? n != 0 : (n & 1) != 0; };
    auto clamped = [](const Edge* edge) {
        return int(std::clamp<int64_t>(edge->column, REGION_COORD_MIN, REGION_COORD_MAX + 1));
    };
    int count_left = 0;
    int start = 0;
    for (size_t i = 0; i < active.size();) {
        const int x = clamped(active[i]);
        const bool was_inside = inside(count_left);
        for (; i < active.size() && clamped(active[i]) == x; ++i)
            count_left += active[i]->winding;
        if (!was_inside && inside(count_left))
            start = x;
        else if (was_inside && !inside(count_left))
            region.add_span(start, x);
    }
}

} // namespace

// Pixel (x, y) is inside when the point (x, y) is: edges own their top row, not their
// bottom one, and a pixel on a left edge is in, on a right edge out.
Region CreatePolygonRgn(const POINT* points, int count, int fill_mode)
{
    if (!points || count <= 0 || (fill_mode != ALTERNATE && fill_mode != WINDING))
        return Region::failure();
    if (count < 3)
        return {};
    try {
        std::vector<Edge> edges = polygon_edges(points, count);
        if (edges.empty())
            return {};
        int64_t y_end = edges.front().y_bottom;
        for (const Edge& edge : edges)
            y_end = std::max(y_end, edge.y_bottom);
        const int64_t first_row = std::max<int64_t>(edges.front().y_top, REGION_COORD_MIN);
        const int64_t last_row = std::min<int64_t>(y_end - 1, REGION_COORD_MAX);

        RegionBuilder region(size_t(std::max<int64_t>(last_row - first_row + 1, 0)));
        std::vector<Edge*> active;
        active.reserve(edges.size());
        size_t next_edge = 0;
        for (int64_t y = first_row; y <= last_row; ++y) {
            // Edges that go on step into this row, edges that start in it join.
            size_t kept = 0;
            for (Edge* edge : active) {
                if (edge->y_bottom > y) {
                    edge->next_row();
                    active[kept++] = edge;
                }
            }
            active.resize(kept);
            for (; next_edge < edges.size() && edges[next_edge].y_top <= y; ++next_edge) {
                Edge& edge = edges[next_edge];
                if (edge.y_bottom > y) {
                    edge.start(y);
                    active.push_back(&edge);
                }
            }
            sort_by_column(active, active.size() - kept);
            add_spans(region, active, fill_mode);
            region.end_row(int(y));
        }
        return std::move(region).finish();
    } catch (const std::bad_alloc&) {
        return Region::failure();
    }
}

} // namespace platform
