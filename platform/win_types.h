#pragma once
// The plain Win32 value types the drawing calls take, as this platform defines them.

#include <cstdint>

namespace platform {

using BOOL = int32_t;
using LONG = int32_t;
using COLORREF = uint32_t;  // 0x00BBGGRR
using OLE_COLOR = uint32_t; // 0x00BBGGRR, or 0x800000nn for system colour nn

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// GetPixel's answer for a point outside the surface.
inline constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

struct POINT {
    LONG x = 0;
    LONG y = 0;
    friend constexpr bool operator==(POINT, POINT) = default;
};

struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
    friend constexpr bool operator==(SIZE, SIZE) = default;
};

// right and bottom are exclusive: a RECT covers left <= x < right, top <= y < bottom.
struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
    friend constexpr bool operator==(RECT, RECT) = default;
};

constexpr COLORREF RGB(uint8_t red, uint8_t green, uint8_t blue)
{
    return COLORREF(red) | (COLORREF(green) << 8) | (COLORREF(blue) << 16);
}
constexpr uint8_t GetRValue(COLORREF c) { return uint8_t(c & 0xFF); }
constexpr uint8_t GetGValue(COLORREF c) { return uint8_t((c >> 8) & 0xFF); }
constexpr uint8_t GetBValue(COLORREF c) { return uint8_t((c >> 16) & 0xFF); }

} // namespace platform
