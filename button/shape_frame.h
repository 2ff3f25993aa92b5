#pragma once
// What the shape renderers share: handing the shape's region to the window, the focus
// outline's test and colour, and the pens of style 6's ramps and style 7's inner outline.

#include "platform/gdi/region.h"
#include "platform/win_types.h"
#include "platform/host/window.h"

#include <array>
#include <span>
#include <utility>

namespace button::frame {

using platform::LONG;
using platform::OLE_COLOR;

inline constexpr OLE_COLOR FocusOutlineColour = 0xD1D1D1;

// The window owns the region from then on and frees the one it had. A failed
// construction gives no handle, and so the whole window rectangle.
inline platform::HRGN give_to_window(platform::HWND window, platform::Region region)
{
    const platform::HRGN handle = region.failed() ? 0 : platform::register_region(std::move(region));
    platform::SetWindowRgn(window, handle, platform::TRUE);
    return handle;
}

// Styles 4, 6 and 7 show the focus their own way.
inline bool draws_focus_outline(LONG style, bool focused)
{
    return style != 4 && focused && style != 6 && style != 7;
}

// Style 6's five pens in drawing order, each shape drawing its own lines with them.
using Ramp = std::array<OLE_COLOR, 5>;
inline constexpr Ramp HotRamp = {0x109ADC, 0x31B2F0, 0x90D6F7, 0xCEF3FF, 0x8CDBFF};
inline constexpr Ramp DefaultRamp = {0xD98D59, 0xE2A981, 0xF0D1B5, 0xF7D7BD, 0xFFE7CE};

// The ramp of a style 6 button that is not pressed: hot under the mouse, default with
// the focus, none otherwise.
inline const Ramp* ramp_for(bool hover, bool focused)
{
    return hover ? &HotRamp : focused ? &DefaultRamp : nullptr;
}

// Style 7 draws its inner outline once per pen, in this order: light blue when pressed,
// else white and, with the focus, bright blue over the white.
inline std::span<const OLE_COLOR> inner_outline_pens(bool pressed, bool focused)
{
    static constexpr OLE_COLOR pressed_pens[] = {0xCFB073};
    static constexpr OLE_COLOR released_pens[] = {0xFFFFFF, 0xFECC04};
    if (pressed)
        return pressed_pens;
    return std::span<const OLE_COLOR>(released_pens).first(focused ? 2 : 1);
}

} // namespace button::frame
