// The rounded rectangle, the ellipse and the diamond: each gives the window its region,
// draws the outline, the style's edges for the visual state and the focus outline.

#include "button/ww.h"

#include "button/rounding.h"
#include "button/shape_frame.h"
#include "platform/gdi/colour.h"
#include "platform/gdi/raster.h"
#include "platform/gdi/region.h"

namespace button {

using namespace platform;
using frame::FocusOutlineColour;

namespace {

// Arc in the box [left, top, right, bottom], given in any order, counter-clockwise from
// the ray through `from` to the ray through `to`.
void arc(HDC dc, RECT box, POINT from, POINT to)
{
    Arc(dc, box.left, box.top, box.right, box.bottom, from.x, from.y, to.x, to.y);
}

void round_rect(HDC dc, RECT box, SIZE corner)
{
    RoundRect(dc, box.left, box.top, box.right, box.bottom, corner.cx, corner.cy);
}

// A round rectangle whose corner ellipse is as wide and high as the box's far corner
// coordinates, more than the box: the whole ellipse inscribed in the box.
void ellipse(HDC dc, RECT box)
{
    round_rect(dc, box, {box.right, box.bottom});
}

} // namespace

void ww::DrawRoundedRectangle()
{
    const double w = W(), h = H();
    const HDC dc = UserControl.hDC();
    ShapeRegion = frame::give_to_window(UserControl.hWnd(), CreateRoundRectRgn(0, 0, r(w), r(h), 15, 15));
    round_rect(dc, {0, 0, r(w - 1), r(h - 1)}, {16, 16});

    auto line = [&](POINT from, POINT to) { Polyline({from, to}); };
    // The top edge, the upper-left corner and the left edge, over the outline.
    auto upper_left = [&] {
        line({10, 0}, {r(w - 8), 0});
        arc(dc, {17, 17, 0, 0}, {10, 0}, {0, 10});
        line({0, 10}, {0, r(h - 10)});
    };
    auto lower_left = [&] { arc(dc, {17, r(h - 17), 0, r(h - 1)}, {-16, r(h - 16)}, {9, r(h - 1)}); };

    switch (ButtonStyle) {
    case 1:
        if (pressed()) {
            SetPen(COLOR_3DDKSHADOW);
            upper_left();
            arc(dc, {17, r(h - 17), 0, r(h - 1)}, {-16, r(h - 16)}, {9, r(h)});
            arc(dc, {16, r(h - 16), 0, r(h - 2)}, {-16, r(h - 16)}, {8, r(h)});
            SetPen(COLOR_BTNSHADOW);
            line({10, 1}, {r(w - 8), 1});
            arc(dc, {17, 17, 1, 1}, {10, 1}, {1, 10});
            line({1, 10}, {1, r(h - 10)});
            arc(dc, {17, r(h - 16), 1, r(h - 2)}, {-16, r(h - 16)}, {9, r(h - 1)});
        } else {
            SetPen(COLOR_BTNSHADOW);
            round_rect(dc, {0, 0, r(w - 2), r(h - 2)}, {15, 15});
            SetPen(COLOR_3DHIGHLIGHT);
            upper_left();
            arc(dc, {17, r(h - 17), 0, r(h - 2)}, {-16, r(h - 16)}, {9, r(h - 1)});
            lower_left();
        }
        break;
    case 2:
        SetPen(pressed() ? COLOR_3DDKSHADOW : COLOR_3DHIGHLIGHT);
        upper_left();
        lower_left();
        break;
    case 3:
        if (pressed() || hover()) {
            SetPen(pressed() ? COLOR_3DDKSHADOW : COLOR_3DHIGHLIGHT);
            upper_left();
            lower_left();
        }
        break;
    case 4:
        if (UserControl.Enabled()) {
            SetPen(COLOR_BTNSHADOW);
            round_rect(dc, {0, 0, r(w - 2), r(h - 2)}, {16, 16});
            SetPen(COLOR_3DHIGHLIGHT);
            round_rect(dc, {1, 1, r(w - 1), r(h - 1)}, {16, 16});
        }
        break;
    case 6: {
        if (pressed()) {
            SetPen(COLOR_3DHIGHLIGHT);
            arc(dc, {r(w - 17), r(h - 17), r(w - 3), r(h - 3)}, {r(w - 10), r(h - 3)}, {r(w - 2), r(h - 10)});
            line({r(w - 9), r(h - 4)}, {8, r(h - 4)});
            line({r(w - 4), 4}, {r(w - 4), r(h - 9)});
            break;
        }
        const frame::Ramp* ramp = frame::ramp_for(hover(), focused());
        if (!ramp)
            break;
        // The hot ramp ends its first lower-left arc one row higher than the default one.
        const LONG lower_end = hover() ? r(h - 1) : r(h);
        SetPen((*ramp)[0]);
        arc(dc, {16, r(h - 17), 1, r(h - 2)}, {-17, r(h)}, {8, r(h - 1)});
        line({r(w - 8), r(h - 3)}, {8, r(h - 3)});
        arc(dc, {r(w - 17), r(h - 17), r(w - 2), r(h - 2)}, {r(w - 10), r(h - 2)}, {r(w - 1), r(h - 10)});
        SetPen((*ramp)[1]);
        arc(dc, {17, r(h - 18), 1, r(h - 3)}, {-18, r(h)}, {10, lower_end});
        line({1, 6}, {1, r(h - 8)});
        line({r(w - 8), r(h - 4)}, {8, r(h - 4)});
        arc(dc, {r(w - 17), r(h - 17), r(w - 3), r(h - 3)}, {r(w - 10), r(h - 2)}, {r(w - 1), r(h - 10)});
        line({r(w - 3), 6}, {r(w - 3), r(h - 8)});
        SetPen((*ramp)[2]);
        line({2, 7}, {2, r(h - 7)});
        line({r(w - 4), 7}, {r(w - 4), r(h - 7)});
        arc(dc, {17, 17, 1, 1}, {8, 0}, {0, 8});
        arc(dc, {r(w - 17), 17, r(w - 2), 1}, {r(w - 1), 8}, {r(w - 12), 1});
        arc(dc, {r(w - 17), 17, r(w - 3), 2}, {r(w - 1), 8}, {r(w - 12), 1});
        arc(dc, {17, 17, 2, 2}, {8, 0}, {0, 8});
        SetPen((*ramp)[3]);
        line({10, 1}, {r(w - 7), 1});
        SetPen((*ramp)[4]);
        line({10, 2}, {r(w - 8), 2});
        break;
    }
    case 7:
        for (OLE_COLOR pen : frame::inner_outline_pens(pressed(), focused())) {
            SetPen(pen);
            round_rect(dc, {1, 1, r(w - 2), r(h - 2)}, {14, 14});
        }
        break;
    default:
        break; // 5, 8 and the rest: no edges
    }

    if (frame::draws_focus_outline(ButtonStyle, focused())) {
        SetPen(FocusOutlineColour);
        round_rect(dc, {4, 4, r(w - 5), r(h - 5)}, {15, 15});
    }
}

void ww::DrawEllipse()
{
    const double w = W(), h = H();
    const HDC dc = UserControl.hDC();
    ShapeRegion = frame::give_to_window(UserControl.hWnd(), CreateEllipticRgn(0, 0, r(w), r(h)));
    ellipse(dc, {1, 1, r(w - 2), r(h - 2)});

    // From the upper right counter-clockwise to the lower left, over the outline.
    auto upper_left_half = [&] { arc(dc, {r(w - 2), r(h - 2), 1, 1}, {r(w - 2), 1}, {1, r(h - 2)}); };

    switch (ButtonStyle) {
    case 1:
        if (pressed()) {
            SetPen(COLOR_3DDKSHADOW);
            upper_left_half();
            SetPen(COLOR_BTNSHADOW);
            arc(dc, {r(w - 3), r(h - 3), 2, 2}, {r(w - 3), 2}, {2, r(h - 3)});
        } else {
            SetPen(COLOR_BTNSHADOW);
            arc(dc, {1, 1, r(w - 3), r(h - 3)}, {r(w / 3), r(h / 2)}, {r(w - 3), 1});
            SetPen(COLOR_3DHIGHLIGHT);
            upper_left_half();
        }
        break;
    case 2:
        SetPen(pressed() ? COLOR_3DDKSHADOW : COLOR_3DHIGHLIGHT);
        upper_left_half();
        break;
    case 3:
        if (pressed() || hover()) {
            SetPen(pressed() ? COLOR_3DDKSHADOW : COLOR_3DHIGHLIGHT);
            upper_left_half();
        }
        break;
    case 4:
        if (UserControl.Enabled()) {
            SetPen(COLOR_BTNSHADOW);
            arc(dc, {r(w - 3), r(h - 3), 2, 2}, {r(w / 2), r(h - 3)}, {r(w / 2), 3});
            SetPen(COLOR_3DHIGHLIGHT);
            arc(dc, {r(w - 3), r(h - 3), 2, 2}, {r(w / 2), 2}, {r(w / 2), r(h - 2)});
            arc(dc, {r(w - 2), r(h - 2), 1, 1}, {r(w / 2), r(h - 2)}, {r(w / 2), 2});
        }
        break;
    case 6: {
        if (pressed()) {
            SetPen(COLOR_3DHIGHLIGHT);
            arc(dc, {r(w - 4), r(h - 4), 3, 3}, {r(w / 2), r(h - 2)}, {r(w / 2), 3});
            break;
        }
        const frame::Ramp* ramp = frame::ramp_for(hover(), focused());
        if (!ramp)
            break;
        SetPen((*ramp)[0]);
        arc(dc, {2, 2, r(w - 3), r(h - 3)}, {2, r(h - 3)}, {r(w - 3), r(h - 3)});
        SetPen((*ramp)[1]);
        arc(dc, {2, 2, r(w - 3), r(h - 4)}, {3, 3}, {r(w - 2), 4});
        SetPen((*ramp)[2]);
        arc(dc, {3, 3, r(w - 4), r(h - 3)}, {2, 3}, {r(w - 2), 3});
        SetPen((*ramp)[3]);
        arc(dc, {r(w - 3), r(h - 2), 2, 2}, {r(w - 3), 3}, {3, 3});
        SetPen((*ramp)[4]);
        arc(dc, {r(w - 3), r(h - 3), 3, 3}, {r(w - 3), 4}, {4, 4});
        break;
    }
    case 7:
        for (OLE_COLOR pen : frame::inner_outline_pens(pressed(), focused())) {
            SetPen(pen);
            ellipse(dc, {2, 2, r(w - 3), r(h - 3)});
        }
        break;
    default:
        break; // 5, 8 and the rest: no edges
    }

    if (frame::draws_focus_outline(ButtonStyle, focused())) {
        SetPen(FocusOutlineColour);
        ellipse(dc, {4, 4, r(w - 5), r(h - 5)});
    }
}

void ww::DrawDiamond()
{
    const double w = W(), h = H();
    const HDC dc = UserControl.hDC();
    // The top and bottom vertices' column and the side vertices' row.
    const LONG cx = r(w / 2), cy = r(h / 2);

    RegionPoints[0] = {r(w), cy};
    RegionPoints[1] = {cx, 0};
    RegionPoints[2] = {0, cy};
    RegionPoints[3] = {cx, r(h)};
    ShapeRegion = frame::give_to_window(UserControl.hWnd(), CreatePolygonRgn(RegionPoints.data(), 4, WINDING));
    Polyline({{0, cy}, {cx, r(h - 1)}, {r(w - 1), cy}, {cx, 0}, {0, cy}});
    // Over a filled background the pixel below the top vertex takes the border colour.
    if (ButtonStyleColors != FillNone)
        Polyline({{cx, 1}, {cx, 0}});

    // Top vertex over the left one to the bottom one, on the outline.
    auto lit_side = [&] { Polyline({{cx, 0}, {0, cy}, {cx, r(h - 1)}}); };
    auto black_apex = [&] { SetPixel(dc, cx, 1, 0); };

    switch (ButtonStyle) {
    case 1:
        if (pressed()) {
            SetPen(COLOR_3DDKSHADOW);
            lit_side();
            SetPen(COLOR_BTNSHADOW);
            Polyline({{cx, 1}, {1, cy}, {cx, r(h - 2)}});
        } else {
            SetPen(COLOR_BTNSHADOW);
            Polyline({{cx, r(h - 2)}, {r(w - 2), cy}, {cx, 1}});
            SetPen(COLOR_3DHIGHLIGHT);
            lit_side();
        }
        break;
    case 2:
        SetPen(pressed() ? COLOR_3DDKSHADOW : COLOR_3DHIGHLIGHT);
        lit_side();
        break;
    case 3:
        if (pressed() || hover()) {
            SetPen(pressed() ? COLOR_3DDKSHADOW : COLOR_3DHIGHLIGHT);
            lit_side();
        }
        break;
    case 4:
        if (UserControl.Enabled()) {
            SetPen(COLOR_BTNSHADOW);
            Polyline({{cx, 1}, {r(w - 2), cy}, {cx, r(h - 2)}});
            SetPen(COLOR_3DHIGHLIGHT);
            Polyline({{cx, 1}, {1, cy}, {cx, r(h - 2)}});
            Polyline({{cx, 0}, {r(w - 1), cy}, {cx, r(h - 1)}});
        }
        break;
    case 6: {
        if (pressed()) {
            SetPen(COLOR_3DHIGHLIGHT);
            Polyline({{cx, r(h - 4)}, {r(w - 4), cy}, {cx, 3}});
            black_apex();
            break;
        }
        const frame::Ramp* ramp = frame::ramp_for(hover(), focused());
        if (!ramp)
            break;
        SetPen((*ramp)[0]);
        Polyline({{cx, r(h - 2)}, {r(w - 2), cy}});
        SetPen((*ramp)[1]);
        Polyline({{cx, r(h - 3)}, {r(w - 3), cy}});
        Polyline({{1, cy}, {cx, r(h - 2)}});
        Polyline({{r(w - 2), cy}, {cx, 1}});
        SetPen((*ramp)[2]);
        Polyline({{2, cy}, {cx, r(h - 3)}});
        Polyline({{r(w - 3), cy}, {cx, 2}});
        SetPen((*ramp)[3]);
        Polyline({{cx, 1}, {1, cy}});
        SetPen((*ramp)[4]);
        Polyline({{cx, 2}, {2, cy}});
        black_apex();
        break;
    }
    case 7:
        for (OLE_COLOR pen : frame::inner_outline_pens(pressed(), focused())) {
            SetPen(pen);
            Polyline({{1, cy}, {cx, r(h - 2)}, {r(w - 2), cy}, {cx, 1}, {1, cy}});
        }
        break;
    default:
        break; // 5, 8 and the rest: no edges
    }

    if (frame::draws_focus_outline(ButtonStyle, focused())) {
        SetPen(FocusOutlineColour);
        FocusPoints[0] = {r(w - 6), cy};
        FocusPoints[1] = {cx, 5};
        FocusPoints[2] = {5, cy};
        FocusPoints[3] = {cx, r(h - 6)};
        Polygon(dc, FocusPoints.data(), 4);
        DotDiamondFocus();
    }
}

// Turns the pen's colour black on the odd rows of columns 2 to r(W - 2), column by column;
// Paint's checkerboard dotting follows.
void ww::DotDiamondFocus()
{
    const HDC dc = UserControl.hDC();
    const LONG last_x = r(W() - 2);
    for (DotX = 2; DotX <= last_x; ++DotX) {
        const LONG last_y = r(H() - 1);
        for (DotY = 1; DotY <= last_y; DotY += 2) {
            if (GetPixel(dc, DotX, DotY) == UserControl.ForeColor())
                SetPixel(dc, DotX, DotY, 0);
        }
    }
}

} // namespace button
