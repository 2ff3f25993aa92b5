#pragma once
// Rectangle gradient fills between two vertices.

#include "platform/gdi/dc.h"
#include "platform/win_types.h"

#include <cstdint>

namespace platform {

using COLOR16 = uint16_t; // the colour byte in the high eight bits

struct TRIVERTEX {
    LONG x = 0;
    LONG y = 0;
    COLOR16 Red = 0;
    COLOR16 Green = 0;
    COLOR16 Blue = 0;
    COLOR16 Alpha = 0;
};

struct GRADIENT_RECT {
    uint32_t UpperLeft = 0;
    uint32_t LowerRight = 0;
};

inline constexpr uint32_t GRADIENT_FILL_RECT_H = 0;
inline constexpr uint32_t GRADIENT_FILL_RECT_V = 1;

BOOL GradientFill(HDC dc, const TRIVERTEX* vertices, uint32_t vertex_count, const GRADIENT_RECT* rects,
                  uint32_t rect_count, uint32_t mode);

} // namespace platform
