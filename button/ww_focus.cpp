// Focus marks and the drop-down arrow, drawn after the shape.

#include "button/ww.h"

#include "button/rounding.h"
#include "platform/gdi/raster.h"

namespace button {

using namespace platform;

// Turns the renderer's light focus outline into black dots: every pixel of the pen's
// colour on a checkerboard (odd/odd, then even/even) becomes black.
void ww::DotFocusOutline()
{
    if (ButtonStyle == 4 || !FocusRect || !HasFocus || ButtonStyle == 6 || ButtonStyle == 7)
        return;
    const HDC dc = UserControl.hDC();
    for (LONG start : {3, 2}) {
        const LONG last_x = r(W() - start);
        for (DotX = start; DotX <= last_x; DotX += 2) {
            const LONG last_y = r(H() - start);
            for (DotY = start; DotY <= last_y; DotY += 2) {
                if (GetPixel(dc, DotX, DotY) == UserControl.ForeColor())
                    SetPixel(dc, DotX, DotY, 0);
            }
        }
    }
}

void ww::DrawCaptionFocusRect()
{
    if (Caption.empty() || ButtonStyle != 4 || !FocusRect || !HasFocus)
        return;
    SetPen(0xCC9999);
    const LONG X = CaptionRect.x, Y = CaptionRect.y;
    RoundRect(hdc(), X + CaptionRect.width + 2, Y + CaptionRect.height + 2, X - 3, Y - 2, 0, 0);
}

void ww::DrawDropDownArrow()
{
    LONG ax = 0, ay = 0;
    if (DropDown == DropDownLeft) {
        ax = 2;
        ay = r(H() / 2 - 8);
    } else if (DropDown == DropDownRight) {
        ax = r(W() - 21);
        ay = r(H() / 2 - 8);
    }
    if (DropDown == DropDownNone)
        return;
    SetPen(0);
    // Two chevrons pointing down, each two pixels thick, four pixels apart.
    Polyline({{ax + 6, ay + 5}, {ax + 9, ay + 8}, {ax + 13, ay + 4}});
    Polyline({{ax + 7, ay + 5}, {ax + 9, ay + 7}, {ax + 12, ay + 4}});
    Polyline({{ax + 6, ay + 9}, {ax + 9, ay + 12}, {ax + 13, ay + 8}});
    Polyline({{ax + 7, ay + 9}, {ax + 9, ay + 11}, {ax + 12, ay + 8}});
}

} // namespace button
