// The rectangle shape: outline, no window region, the style's edges and the focus outline.

#include "button/ww.h"

#include "button/rounding.h"
#include "platform/gdi/colour.h"
#include "platform/host/window.h"

namespace button {

using namespace platform;

void ww::DrawRectangle()
{
    const double w = W(), h = H();
    Polyline({{0, 0}, {0, r(h - 1)}, {r(w - 1), r(h - 1)}, {r(w - 1), 0}, {0, 0}});
    // The whole window rectangle shows again after any other shape.
    SetWindowRgn(UserControl.hWnd(), 0, FALSE);

    switch (ButtonStyle) {
    case 1:
        if (pressed()) {
            SetPen(COLOR_3DDKSHADOW);
            Polyline({{r(w - 1), 0}, {0, 0}, {0, r(h - 1)}});
            SetPen(COLOR_BTNSHADOW);
            Polyline({{r(w - 1), 1}, {1, 1}, {1, r(h - 1)}});
        } else {
            SetPen(COLOR_BTNSHADOW);
            Polyline({{r(w - 2), 0}, {r(w - 2), r(h - 2)}, {0, r(h - 2)}});
            SetPen(COLOR_3DHIGHLIGHT);
            Polyline({{r(w - 1), 0}, {0, 0}, {0, r(h - 1)}});
        }
        break;
    case 2:
        SetPen(pressed() ? COLOR_3DDKSHADOW : COLOR_3DHIGHLIGHT);
        Polyline({{r(w - 1), 0}, {0, 0}, {0, r(h - 1)}});
        break;
    case 3:
        if (pressed() || hover()) {
            SetPen(pressed() ? COLOR_3DDKSHADOW : COLOR_3DHIGHLIGHT);
            Polyline({{r(w - 1), 0}, {0, 0}, {0, r(h - 1)}});
        }
        break;
    case 4:
        if (UserControl.Enabled()) {
            SetPen(COLOR_BTNSHADOW);
            Polyline({{r(w - 2), 1}, {r(w - 2), r(h - 2)}, {2, r(h - 2)}});
            SetPen(COLOR_3DHIGHLIGHT);
            Polyline({{r(w - 1), 1}, {1, 1}, {1, r(h - 1)}, {r(w - 1), r(h - 1)}, {r(w - 1), 1}});
        }
        break;
    case 6: {
        if (pressed()) {
            SetPen(COLOR_3DHIGHLIGHT);
            Polyline({{2, r(h - 3)}, {r(w - 3), r(h - 3)}, {r(w - 3), 2}});
            break;
        }
        // The hot ramp under the mouse, the default ramp with the focus.
        static constexpr OLE_COLOR hot[5] = {0x109ADC, 0x31B2F0, 0x90D6F7, 0xCEF3FF, 0x8CDBFF};
        static constexpr OLE_COLOR standard[5] = {0xD98D59, 0xE2A981, 0xF0D1B5, 0xF7D7BD, 0xFFE7CE};
        const OLE_COLOR* ramp = hover() ? hot : focused() ? standard : nullptr;
        if (!ramp)
            break;
        SetPen(ramp[0]);
        Polyline({{r(w - 2), r(h - 2)}, {0, r(h - 2)}});
        SetPen(ramp[1]);
        Polyline({{1, 1}, {1, r(h - 3)}, {r(w - 2), r(h - 3)}, {r(w - 2), 1}});
        SetPen(ramp[2]);
        Polyline({{2, 2}, {2, r(h - 3)}});
        Polyline({{r(w - 3), r(h - 4)}, {r(w - 3), 2}});
        SetPen(ramp[3]);
        Polyline({{1, 1}, {r(w - 1), 1}});
        SetPen(ramp[4]);
        Polyline({{2, 2}, {r(w - 2), 2}});
        break;
    }
    case 7: {
        auto inner = [&](OLE_COLOR pen) {
            SetPen(pen);
            Polyline({{1, 1}, {1, r(h - 2)}, {r(w - 2), r(h - 2)}, {r(w - 2), 1}, {1, 1}});
        };
        if (pressed()) {
            inner(0xCFB073);
        } else {
            inner(0xFFFFFF);
            if (focused())
                inner(0xFECC04);
        }
        break;
    }
    default:
        break;
    }

    if (ButtonStyle != 4 && FocusRect && HasFocus && ButtonStyle != 6 && ButtonStyle != 7) {
        SetPen(0xD1D1D1);
        Polyline({{4, 4}, {4, r(h - 5)}, {r(w - 5), r(h - 5)}, {r(w - 5), 4}, {4, 4}});
    }
}

} // namespace button
