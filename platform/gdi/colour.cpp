#include "platform/gdi/colour.h"

#include <array>

namespace platform {

namespace {

// Classic Windows defaults, indexed by system colour number.
constexpr std::array<COLORREF, 31> classic_colours = {
    RGB(212, 208, 200), //  0 scroll bar
    RGB(58, 110, 165),  //  1 desktop
    RGB(10, 36, 106),   //  2 active caption
    RGB(128, 128, 128), //  3 inactive caption
    RGB(212, 208, 200), //  4 menu
    RGB(255, 255, 255), //  5 window
    RGB(0, 0, 0),       //  6 window frame
    RGB(0, 0, 0),       //  7 menu text
    RGB(0, 0, 0),       //  8 window text
    RGB(255, 255, 255), //  9 caption text
    RGB(212, 208, 200), // 10 active border
    RGB(212, 208, 200), // 11 inactive border
    RGB(128, 128, 128), // 12 application workspace
    RGB(10, 36, 106),   // 13 highlight
    RGB(255, 255, 255), // 14 highlight text
    RGB(212, 208, 200), // 15 button face
    RGB(128, 128, 128), // 16 button shadow
    RGB(128, 128, 128), // 17 grey text
    RGB(0, 0, 0),       // 18 button text
    RGB(212, 208, 200), // 19 inactive caption text
    RGB(255, 255, 255), // 20 3D highlight
    RGB(64, 64, 64),    // 21 3D dark shadow
    RGB(212, 208, 200), // 22 3D light
    RGB(0, 0, 0),       // 23 info text
    RGB(255, 255, 225), // 24 info background
    RGB(181, 181, 181), // 25 (unused)
    RGB(0, 0, 128),     // 26 hot light
    RGB(166, 202, 240), // 27 gradient active caption
    RGB(192, 192, 192), // 28 gradient inactive caption
    RGB(49, 106, 197),  // 29 menu highlight
    RGB(236, 233, 216), // 30 menu bar
};

} // namespace

std::optional<COLORREF> system_colour(uint32_t index)
{
    if (index >= classic_colours.size())
        return std::nullopt;
    return classic_colours[index];
}

int32_t OleTranslateColor(OLE_COLOR colour, void* /*palette*/, COLORREF* result)
{
    switch (colour >> 24) {
    case 0x00:
        if (result)
            *result = colour;
        return S_OK;
    case 0x80:
        if ((colour & 0x00FFFF00) == 0) {
            if (auto rgb = system_colour(colour & 0xFF)) {
                if (result)
                    *result = *rgb;
                return S_OK;
            }
        }
        return E_INVALIDARG;
    default:
        return E_INVALIDARG;
    }
}

COLORREF resolve_colour(OLE_COLOR colour)
{
    COLORREF rgb = colour;
    OleTranslateColor(colour, nullptr, &rgb);
    return rgb;
}

} // namespace platform
