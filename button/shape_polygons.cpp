// The four triangles and the four arrows. One frame draws them all; each shape is a table
// of point lists written in W and H, evaluated afresh at every paint.

#include "button/ww.h"

#include "button/rounding.h"
#include "platform/gdi/colour.h"
#include "platform/gdi/raster.h"
#include "platform/gdi/region.h"
#include "platform/host/window.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace button {

using namespace platform;

namespace {

// One coordinate as the tables write it: a whole number used as it stands, or
// r(S / div + add) with S the width or the height, computed in floating point and
// rounded once (W / 1.5 - 1 and H - 1.5 - 2 are single roundings).
struct Coord {
    enum Axis : uint8_t { Fixed, Width, Height };

    constexpr Coord(int value = 0) : add(value) {}
    constexpr Coord(Axis axis_, double div_, double add_) : axis(axis_), div(div_), add(add_) {}

    int32_t at(double w, double h) const
    {
        switch (axis) {
        case Width: return r(w / div + add);
        case Height: return r(h / div + add);
        default: return int32_t(add);
        }
    }

    Axis axis = Fixed;
    double div = 1;
    double add = 0;
};

constexpr Coord W {Coord::Width, 1, 0};
constexpr Coord H {Coord::Height, 1, 0};

// Only W or H itself is divided: every expression reads S / d + c.
constexpr Coord operator/(Coord c, double d)
{
    if (c.axis == Coord::Fixed || c.div != 1 || c.add != 0)
        throw "divide W or H only";
    return {c.axis, d, 0};
}
constexpr Coord operator+(Coord c, double v) { return {c.axis, c.div, c.add + v}; }
constexpr Coord operator-(Coord c, double v) { return {c.axis, c.div, c.add - v}; }

struct Pt {
    Coord x, y;
};

// A short list of fixed capacity, so that the tables are constants.
template <typename T, size_t N>
struct List {
    constexpr List() = default;
    constexpr List(std::initializer_list<T> list) : size(list.size())
    {
        if (list.size() > N)
            throw "list too long";
        std::copy(list.begin(), list.end(), items.begin());
    }
    constexpr const T* begin() const { return items.data(); }
    constexpr const T* end() const { return items.data() + size; }

    std::array<T, N> items {};
    size_t size = 0;
};

// A point list: MoveToEx to the first point, LineTo each further one. Also the vertex
// lists of the region and of the focus outline.
using Path = List<Pt, 8>;
using Paths = List<Path, 3>;
// A pen, then its point lists.
struct Stroke {
    OLE_COLOR pen = 0;
    Paths paths;
};
using Strokes = List<Stroke, 2>;

} // namespace

struct PolygonShape {
    Path region;                // CreatePolygonRgn vertices
    Path outline;               // in the pen Paint set
    Strokes pressed;            // style 1 pressed; its 3D dark shadow stroke alone is styles 2 and 3 pressed
    Strokes raised;             // style 1 otherwise; its 3D highlight stroke alone is style 2 otherwise, 3 hover
    Strokes etched;             // style 4 while enabled
    Paths sunken;               // style 6 pressed, in 3D highlight
    std::array<Paths, 5> ramp;  // style 6 hover and focus: one line per ramp colour
    Path inner;                 // style 7
    Path focus;                 // Polygon vertices
};

namespace {

constexpr OLE_COLOR DARK = COLOR_3DDKSHADOW, SHADOW = COLOR_BTNSHADOW, LIGHT = COLOR_3DHIGHLIGHT;

constexpr bool has_pen(const Strokes& strokes, OLE_COLOR pen)
{
    return std::any_of(strokes.begin(), strokes.end(), [pen](const Stroke& s) { return s.pen == pen; });
}

const Stroke& stroke_in(const Strokes& strokes, OLE_COLOR pen)
{
    return *std::find_if(strokes.begin(), strokes.end(), [pen](const Stroke& s) { return s.pen == pen; });
}

constexpr PolygonShape triangle_up = {
    .region = {{0, H}, {W / 2, 0}, {W, H}},
    .outline = {{W / 2, 1}, {1, H - 1}, {W - 2, H - 1}, {W / 2, 1}},
    .pressed = {{DARK, {{{W / 2, 1}, {1, H - 1}}}},
                {SHADOW, {{{W / 2, 3}, {3, H - 3}}}}},
    .raised = {{SHADOW, {{{1, H - 2}, {W - 3, H - 2}, {W / 2, 3}}}},
               {LIGHT, {{{W / 2, 2}, {1, H - 1}}}}},
    .etched = {{SHADOW, {{{1, H - 2}, {W - 3, H - 2}, {W / 2, 3}}}},
               {LIGHT, {{{W / 2, 3}, {2, H - 1}}, {{2, H - 1}, {W - 2, H - 1}, {W / 2, 1}}}}},
    .sunken = {{{4, H - 3}, {W - 5, H - 3}, {W / 2, 5}}},
    .ramp = {{{{{2, H - 2}, {W - 1, H - 2}}},
              {{{3, H - 3}, {W - 4, H - 3}, {W / 2, 3}}},
              {{{W - 5, H - 4}, {W / 2, 5}}},
              {{{W / 2, 3}, {3, H - 3}}},
              {{{W / 2, 4}, {3, H - 3}}}}},
    .inner = {{W / 2, 2}, {2, H - 2}, {W - 3, H - 2}, {W / 2, 2}},
    .focus = {{7, H - 5}, {W / 2, 9}, {W - 8, H - 5}},
};

constexpr PolygonShape triangle_left = {
    .region = {{0, H / 2}, {W, 0}, {W, H}},
    .outline = {{1, H / 2}, {W - 1, 1}, {W - 1, H - 1}, {1, H / 2}},
    .pressed = {{DARK, {{{W - 1, 1}, {1, H / 2}}}},
                {SHADOW, {{{W - 3, 3}, {3, H / 2}}}}},
    .raised = {{SHADOW, {{{2, H / 2}, {W - 2, H - 3}, {W - 2, 1}}}},
               {LIGHT, {{{W - 1, 1}, {1, H / 2}}}}},
    .etched = {{SHADOW, {{{W - 2, 2}, {W - 2, H - 3}, {3, H / 2}}}},
               {LIGHT, {{{3, H / 2}, {W - 1, 2}, {W - 1, H - 1}, {1, H / 2}}}}},
    .sunken = {{{W - 3, 5}, {W - 3, H - 5}, {5, H / 2}}},
    .ramp = {{{{{W - 2, 2}, {W - 2, H - 1}}},
              {{{W - 3, 2}, {W - 3, H - 3}, {3, H / 2}}},
              {{{W - 3, H - 4}, {5, H / 2}}},
              {{{3, H / 2}, {W - 3, 3}}},
              {{{4, H / 2}, {W - 4, 4}}}}},
    .inner = {{2, H / 2}, {W - 2, 2}, {W - 2, H - 2}, {2, H / 2}},
    .focus = {{9, H / 2}, {W - 5, 7}, {W - 5, H - 8}},
};

// The outline starts at W - 2 and ends undrawn at W - 1: the tip pixel keeps what lay there.
constexpr PolygonShape triangle_right = {
    .region = {{W, H / 2}, {0, 0}, {0, H}},
    .outline = {{W - 2, H / 2}, {0, 1}, {0, H - 1}, {W - 1, H / 2}},
    .pressed = {{DARK, {{{W - 2, H / 2}, {0, 1}, {0, H - 1}}}},
                {SHADOW, {{{W - 5, H / 2}, {1, 2}, {1, H - 2}}}}},
    .raised = {{SHADOW, {{{1, H - 3}, {W - 3, H / 2}}}},
               {LIGHT, {{{W - 3, H / 2}, {0, 1}, {0, H - 1}}}}},
    .etched = {{SHADOW, {{{1, H - 3}, {W - 3, H / 2}}}},
               {LIGHT, {{{W - 5, H / 2}, {1, 3}, {1, H - 2}, {W - 1, H / 2}}}}},
    .sunken = {{{2, 4}, {2, H - 5}, {W - 6, H / 2}}},
    .ramp = {{{{{1, 2}, {1, H - 1}}},
              {{{2, 2}, {2, H - 3}, {W - 4, H / 2}}},
              {{{3, H - 5}, {W - 5, H / 2}}},
              {{{W - 4, H / 2}, {4, 4}}},
              {{{W - 5, H / 2}, {5, 5}}}}},
    .inner = {{W - 3, H / 2}, {1, 2}, {1, H - 2}, {W - 2, H / 2}},
    .focus = {{W - 10, H / 2}, {4, 7}, {4, H - 8}},
};

// The region's top corners lie on row 1, the outline's top edge: row 0 is left out.
constexpr PolygonShape triangle_down = {
    .region = {{0, 1}, {W / 2, H}, {W, 1}},
    .outline = {{W / 2, H - 1}, {W - 1, 1}, {1, 1}, {W / 2, H - 1}},
    .pressed = {{DARK, {{{W / 2, H - 1}, {1, 1}, {W - 1, 1}}}},
                {SHADOW, {{{W / 2, H - 4}, {2, 2}, {W - 3, 2}}}}},
    .raised = {{SHADOW, {{{W - 2, 1}, {W / 2, H - 3}}}},
               {LIGHT, {{{W / 2, H - 2}, {1, 1}, {W - 1, 1}}}}},
    .etched = {{SHADOW, {{{W - 3, 2}, {W / 2, H - 3}}}},
               {LIGHT, {{{W - 2, 2}, {2, 2}, {W / 2, H - 4}}, {{W / 2, H - 1}, {W - 1, 1}}}}},
    .sunken = {{{4, 3}, {W - 5, 3}, {W / 2, H - 5}}},
    .ramp = {{{{{2, 2}, {W - 2, 2}}},
              {{{3, 3}, {W - 3, 3}, {W / 2, H - 3}}},
              {{{W - 5, 4}, {W / 2, H - 4}}},
              {{{W / 2, H - 4}, {3, 3}}},
              {{{W / 2, H - 5}, {4, 4}}}}},
    .inner = {{W / 2, H - 2}, {W - 2, 2}, {2, 2}, {W / 2, H - 2}},
    .focus = {{6, 4}, {W / 2, H - 10}, {W - 8, 4}},
};

// The foot's right corner is r(H - 1.5): level for odd H, one pixel up for even H.
constexpr PolygonShape arrow_up = {
    .region = {{W / 2, 0}, {0, H / 1.5}, {W / 3, H / 1.5}, {W / 3, H}, {W / 1.5, H}, {W / 1.5, H / 1.5},
               {W, H / 1.5}},
    .outline = {{W / 2, 1}, {1, H / 1.5 - 1}, {W / 3, H / 1.5 - 1}, {W / 3, H - 1}, {W / 1.5 - 1, H - 1.5},
                {W / 1.5 - 1, H / 1.5 - 1}, {W - 1, H / 1.5 - 1}, {W / 2, 1}},
    .pressed = {{DARK, {{{W / 2, 1}, {1, H / 1.5 - 1}, {W / 3, H / 1.5 - 1}, {W / 3, H - 1}}}},
                {SHADOW, {{{W / 2, 2}, {2, H / 1.5 - 1}},
                          {{2, H / 1.5 - 2}, {W / 3 + 1, H / 1.5 - 2}, {W / 3 + 1, H - 1}}}}},
    // The highlight comes first here, and the shadow's first pixel covers its last.
    .raised = {{LIGHT, {{{W / 2, 1}, {1, H / 1.5 - 1}, {W / 3, H / 1.5 - 1}, {W / 3, H - 1}}}},
               {SHADOW, {{{W / 3, H - 2}, {W / 1.5 - 2, H - 2}, {W / 1.5 - 2, H / 1.5 - 2}, {W - 3, H / 1.5 - 2},
                          {W / 2, 2}}}}},
    .etched = {{SHADOW, {{{W / 3, H - 2}, {W / 1.5 - 2, H - 2}, {W / 1.5 - 2, H / 1.5 - 2}, {W - 3, H / 1.5 - 2},
                          {W / 2, 3}}}},
               {LIGHT, {{{W / 2, 3}, {3, H / 1.5 - 2}, {W / 3 + 1, H / 1.5 - 2}, {W / 3 + 1, H - 1},
                         {W / 1.5 - 1, H - 1}, {W / 1.5 - 1, H / 1.5 - 1}, {W - 1, H / 1.5 - 1}, {W / 2, 1}}}}},
    .sunken = {{{W / 3 + 3, H - 3}, {W / 1.5 - 3, H - 1.5 - 1}, {W / 1.5 - 3, H / 1.5 - 3}, {W - 5, H / 1.5 - 3},
                {W / 2, 4}}},
    .ramp = {{{{{W / 1.5 - 2, H - 2}, {W / 3, H - 2}}},
              {{{W / 3 + 1, H - 3}, {W / 1.5 - 2, H - 1.5 - 2}, {W / 1.5 - 2, H / 1.5 - 2}, {W - 3, H / 1.5 - 2},
                {W / 2, 3}}},
              {{{W / 1.5 - 3, H - 1.5 - 3}, {W / 1.5 - 3, H / 1.5 - 3}, {W - 5, H / 1.5 - 3}, {W / 2, 5}}},
              {{{W / 2, 3}, {3, H / 1.5 - 2}, {W / 3 + 1, H / 1.5 - 2}, {W / 3 + 1, H - 2}}},
              {{{W / 2, 5}, {5, H / 1.5 - 3}, {W / 3 + 2, H / 1.5 - 3}, {W / 3 + 2, H - 3}}}}},
    .inner = {{W / 2, 2}, {3, H / 1.5 - 2}, {W / 3 + 1, H / 1.5 - 2}, {W / 3 + 1, H - 2}, {W / 1.5 - 2, H - 2},
              {W / 1.5 - 2, H / 1.5 - 2}, {W - 3, H / 1.5 - 2}, {W / 2, 2}},
    .focus = {{W / 2, 6}, {9, H / 1.5 - 5}, {W / 3 + 4, H / 1.5 - 5}, {W / 3 + 4, H - 5}, {W / 1.5 - 5, H - 5},
              {W / 1.5 - 5, H / 1.5 - 5}, {W - 10, H / 1.5 - 5}},
};

constexpr PolygonShape arrow_left = {
    .region = {{0, H / 2}, {W / 1.5, 0}, {W / 1.5, H / 3}, {W, H / 3}, {W, H / 1.5}, {W / 1.5, H / 1.5},
               {W / 1.5, H}},
    .outline = {{W - 1, H / 3}, {W / 1.5 - 1, H / 3}, {W / 1.5 - 1, 1}, {1, H / 2}, {W / 1.5 - 1, H - 1},
                {W / 1.5 - 1, H / 1.5 - 1}, {W - 1, H / 1.5 - 1}, {W - 1, H / 3}},
    .pressed = {{DARK, {{{W - 1, H / 3}, {W / 1.5 - 1, H / 3}, {W / 1.5 - 1, 1}, {1, H / 2}}}},
                {SHADOW, {{{W - 1, H / 3 + 1}, {W / 1.5 - 2, H / 3 + 1}, {W / 1.5 - 2, 3}, {2, H / 2}}}}},
    .raised = {{SHADOW, {{{W - 2, H / 3 + 2}, {W - 2, H / 1.5 - 2}, {W / 1.5 - 2, H / 1.5 - 2}, {W / 1.5 - 2, H - 3},
                          {2, H / 2}}}},
               {LIGHT, {{{W - 1, H / 3}, {W / 1.5 - 1, H / 3}, {W / 1.5 - 1, 1}, {1, H / 2}}}}},
    // The second highlight line redraws the outline's shadow side.
    .etched = {{SHADOW, {{{W - 2, H / 3 + 2}, {W - 2, H / 1.5 - 2}, {W / 1.5 - 2, H / 1.5 - 2}, {W / 1.5 - 2, H - 3},
                          {3, H / 2}}}},
               {LIGHT, {{{W - 1, H / 3 + 1}, {W / 1.5 - 2, H / 3 + 1}, {W / 1.5 - 2, 3}, {2, H / 2}},
                        {{W - 1, H / 3 + 1}, {W - 1, H / 1.5 - 1}, {W / 1.5 - 1, H / 1.5 - 1}, {W / 1.5 - 1, H - 1},
                         {1, H / 2}}}}},
    .sunken = {{{W - 3, H / 3 + 2}, {W - 3, H / 1.5 - 3}, {W / 1.5 - 3, H / 1.5 - 3}, {W / 1.5 - 3, H - 5},
                {5, H / 2}}},
    .ramp = {{{{{W - 2, H / 3 + 1}, {W - 2, H / 1.5 - 1}}},
              {{{W - 3, H / 3 + 1}, {W - 3, H / 1.5 - 2}, {W / 1.5 - 2, H / 1.5 - 2}, {W / 1.5 - 2, H - 3},
                {2, H / 2}}},
              {{{W - 3, H / 1.5 - 3}, {W / 1.5 - 3, H / 1.5 - 3}, {W / 1.5 - 3, H - 5}, {4, H / 2}}},
              {{{W - 3, H / 3 + 1}, {W / 1.5 - 2, H / 3 + 1}, {W / 1.5 - 2, 3}, {2, H / 2}}},
              {{{W - 4, H / 3 + 2}, {W / 1.5 - 3, H / 3 + 2}, {W / 1.5 - 3, 5}, {3, H / 2}}}}},
    // Ends one pixel right of and above its start; the last pixel drawn closes the loop.
    .inner = {{W - 3, H / 3 + 1}, {W / 1.5 - 2, H / 3 + 1}, {W / 1.5 - 2, 3}, {2, H / 2}, {W / 1.5 - 2, H - 3},
              {W / 1.5 - 2, H / 1.5 - 2}, {W - 2, H / 1.5 - 2}, {W - 2, H / 3}},
    .focus = {{6, H / 2}, {W / 1.5 - 5, 9}, {W / 1.5 - 5, H / 3 + 4}, {W - 5, H / 3 + 4}, {W - 5, H / 1.5 - 5},
              {W / 1.5 - 5, H / 1.5 - 5}, {W / 1.5 - 5, H - 10}},
};

namespace right {
// The head's back at A, the shaft between rows B and C, the tip row M.
constexpr Coord A = W / 3, B = H / 3, C = H / 1.5, M = H / 2;
constexpr Path lit_side = {{0, C - 1}, {0, B}, {A, B}, {A, 1}, {W - 1, M}};
constexpr Path shadow_side = {{W - 1, M}, {A, H - 1}, {A, C - 1}, {0, C - 1}};
constexpr Path inner_lit = {{1, C - 2}, {1, B + 1}, {A + 1, B + 1}, {A + 1, 3}, {W - 2, M}};
constexpr Path short_inner_lit = {{1, C - 2}, {1, B + 1}, {A + 1, B + 1}, {A + 1, 3}, {W - 3, M}};
} // namespace right

constexpr PolygonShape arrow_right = [] {
    using namespace right;
    return PolygonShape {
        .region = {{W, M}, {A, 0}, {A, B}, {0, B}, {0, C}, {A, C}, {A, H}},
        .outline = {{0, C - 1}, {0, B}, {A, B}, {A, 1}, {W - 1, M}, {A, H - 1}, {A, C - 1}, {0, C - 1}},
        .pressed = {{DARK, {lit_side}}, {SHADOW, {inner_lit}}},
        .raised = {{SHADOW, {{{W - 2, M}, {A + 1, H - 3}}, {{W - 3, M}, {A + 1, H - 3}, {A + 1, C - 2}, {1, C - 2}}}},
                   {LIGHT, {lit_side}}},
        .etched = {{SHADOW, {{{W - 3, M}, {A + 1, H - 3}, {A + 1, C - 2}, {0, C - 2}}}},
                   {LIGHT, {short_inner_lit, shadow_side}}},
        .sunken = {{{2, B + 2}, {2, C - 3}, {A + 2, C - 3}, {A + 2, H - 5}, {W - 5, M}}},
        .ramp = {{{{{1, C - 2}, {1, B}}},
                  {{{2, B + 1}, {2, C - 2}, {A + 1, C - 2}, {A + 1, H - 3}, {W - 2, M}}},
                  {{{3, C - 3}, {A + 2, C - 3}, {A + 2, H - 5}, {W - 3, M}}},
                  {{{3, B + 1}, {A + 1, B + 1}, {A + 1, 3}, {W - 3, M}}},
                  {{{4, B + 2}, {A + 2, B + 2}, {A + 2, 5}, {W - 4, M}}}}},
        // Its tip is a row above the middle for even H.
        .inner = {{1, C - 2}, {1, B + 1}, {A + 1, B + 1}, {A + 1, 3}, {W - 2, M - 1}, {A + 1, H - 3}, {A + 1, C - 2},
                  {1, C - 2}},
        .focus = {{W - 7, M}, {A + 4, 9}, {A + 4, B + 4}, {4, B + 4}, {4, C - 5}, {A + 4, C - 5}, {A + 4, H - 10}},
    };
}();

namespace down {
// The shaft between columns A and C, the head's back at row B, the tip column M.
constexpr Coord A = W / 3, C = W / 1.5, M = W / 2, B = H / 3;
constexpr Path lit_side = {{C, 0}, {A, 0}, {A, B}, {1, B}, {M, H - 1}};
constexpr Path inner_lit = {{C - 1, 1}, {A + 1, 1}, {A + 1, B + 1}, {3, B + 1}, {M, H - 2}};
} // namespace down

constexpr PolygonShape arrow_down = [] {
    using namespace down;
    return PolygonShape {
        .region = {{M, H}, {0, B}, {A, B}, {A, 0}, {C, 0}, {C, B}, {W, B}},
        // Starts at the shaft's top-right corner and ends one pixel left of it.
        .outline = {{C, 0}, {A, 0}, {A, B}, {1, B}, {M, H - 1}, {W - 1, B}, {C - 1, B}, {C - 1, 0}},
        .pressed = {{DARK, {lit_side}}, {SHADOW, {inner_lit}}},
        .raised = {{SHADOW, {{{C - 2, 1}, {C - 2, B + 1}, {W - 3, B + 1}, {M, H - 2}}, {{W - 3, B + 1}, {M, H - 3}}}},
                   {LIGHT, {lit_side}}},
        // The first highlight line crosses the outline's right edge on row 1; the last
        // runs over the outline's shadow side from row 2 on.
        .etched = {{SHADOW, {{{C - 2, 2}, {C - 2, B + 1}, {W - 3, B + 1}, {M, H - 3}}}},
                   {LIGHT, {{{A + 1, 1}, {C + 1, 1}},
                            {{A + 1, 2}, {A + 1, B + 1}, {3, B + 1}, {M, H - 3}},
                            {{C - 1, 2}, {C - 1, B}, {W - 1, B}, {M, H - 1}}}}},
        .sunken = {{{A + 3, 2}, {C - 3, 2}, {C - 3, B + 2}, {W - 5, B + 2}, {M, H - 4}}},
        .ramp = {{{{{A + 1, 1}, {C - 1, 1}}},
                  {{{A + 1, 1}, {C - 2, 1}, {C - 2, B + 1}, {W - 3, B + 1}, {M, H - 2}}},
                  {{{C - 3, 2}, {C - 3, B + 2}, {W - 5, B + 2}, {M, H - 4}}},
                  {{{A + 1, 2}, {A + 1, B + 1}, {3, B + 1}, {M, H - 3}}},
                  {{{A + 2, 3}, {A + 2, B + 2}, {4, B + 2}, {M, H - 4}}}}},
        // Its tip is a column left of the middle for even W.
        .inner = {{C, 1}, {A + 1, 1}, {A + 1, B + 1}, {3, B + 1}, {M - 1, H - 2}, {W - 3, B + 1}, {C - 2, B + 1},
                  {C - 2, 1}},
        .focus = {{M, H - 7}, {9, B + 4}, {A + 4, B + 4}, {A + 4, 4}, {C - 5, 4}, {C - 5, B + 4}, {W - 10, B + 4}},
    };
}();

// Styles 2 and 3 draw style 1's lit line alone, so every table must have one.
constexpr bool has_lit_lines(const PolygonShape& s) { return has_pen(s.pressed, DARK) && has_pen(s.raised, LIGHT); }
static_assert(has_lit_lines(triangle_up) && has_lit_lines(triangle_left) && has_lit_lines(triangle_right) &&
              has_lit_lines(triangle_down) && has_lit_lines(arrow_up) && has_lit_lines(arrow_left) &&
              has_lit_lines(arrow_right) && has_lit_lines(arrow_down));

constexpr std::array<OLE_COLOR, 5> hot_ramp = {0x109ADC, 0x31B2F0, 0x90D6F7, 0xCEF3FF, 0x8CDBFF};
constexpr std::array<OLE_COLOR, 5> default_ramp = {0xD98D59, 0xE2A981, 0xF0D1B5, 0xF7D7BD, 0xFFE7CE};

// Evaluates a vertex list into `to`; answers the count.
int place(const Path& from, std::array<POINT, 8>& to, double w, double h)
{
    int n = 0;
    for (const Pt& p : from)
        to[n++] = {p.x.at(w, h), p.y.at(w, h)};
    return n;
}

} // namespace

void ww::DrawTriangleUp() { DrawPolygonShape(triangle_up); }
void ww::DrawTriangleLeft() { DrawPolygonShape(triangle_left); }
void ww::DrawTriangleRight() { DrawPolygonShape(triangle_right); }
void ww::DrawTriangleDown() { DrawPolygonShape(triangle_down); }
void ww::DrawArrowUp() { DrawPolygonShape(arrow_up); }
void ww::DrawArrowLeft() { DrawPolygonShape(arrow_left); }
void ww::DrawArrowRight() { DrawPolygonShape(arrow_right); }
void ww::DrawArrowDown() { DrawPolygonShape(arrow_down); }

void ww::DrawPolygonShape(const PolygonShape& shape)
{
    const double w = W(), h = H();
    const HDC dc = UserControl.hDC();
    const auto line = [&](const Path& path) {
        std::array<POINT, 8> p {};
        const int n = place(path, p, w, h);
        if (n == 0)
            return;
        MoveToEx(dc, p[0].x, p[0].y, &PrevPoint);
        for (int i = 1; i < n; ++i)
            LineTo(dc, p[i].x, p[i].y);
    };
    const auto stroke = [&](const Stroke& s) {
        SetPen(s.pen);
        for (const Path& path : s.paths)
            line(path);
    };

    // The window owns the region from here on; a failed one leaves the window whole.
    const int corners = place(shape.region, RegionPoints, w, h);
    Region region = CreatePolygonRgn(RegionPoints.data(), corners, WINDING);
    ShapeRegion = region.failed() ? 0 : register_region(std::move(region));
    SetWindowRgn(UserControl.hWnd(), ShapeRegion, TRUE);

    line(shape.outline);

    switch (ButtonStyle) {
    case 1:
        for (const Stroke& s : pressed() ? shape.pressed : shape.raised)
            stroke(s);
        break;
    case 2:
    case 3:
        // Style 1's lit line alone; style 3 draws it raised only under the mouse.
        if (pressed())
            stroke(stroke_in(shape.pressed, DARK));
        else if (ButtonStyle == 2 || hover())
            stroke(stroke_in(shape.raised, LIGHT));
        break;
    case 4:
        if (UserControl.Enabled())
            for (const Stroke& s : shape.etched)
                stroke(s);
        break;
    case 6: {
        if (pressed()) {
            stroke({LIGHT, shape.sunken});
            break;
        }
        const auto* ramp = hover() ? &hot_ramp : focused() ? &default_ramp : nullptr;
        for (size_t i = 0; ramp && i < ramp->size(); ++i)
            stroke({(*ramp)[i], shape.ramp[i]});
        break;
    }
    case 7:
        stroke({pressed() ? 0xCFB073u : 0xFFFFFFu, {shape.inner}});
        if (!pressed() && focused())
            stroke({0xFECC04, {shape.inner}});
        break;
    default:
        break;
    }

    if (ButtonStyle != 4 && FocusRect && HasFocus && ButtonStyle != 6 && ButtonStyle != 7) {
        // Paint's focus dotting looks for this pen on the surface.
        SetPen(0xD1D1D1);
        const int corners = place(shape.focus, FocusPoints, w, h);
        Polygon(dc, FocusPoints.data(), corners);
    }
}

} // namespace button
