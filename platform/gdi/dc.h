#pragma once
// A device context: a surface plus the drawing state the calls read.
// Pen: 1 pixel, solid. Brush: hollow, so closed shapes draw outlines only.
// Text: transparent background. Arcs run counter-clockwise.

#include "platform/gdi/font.h"
#include "platform/gdi/surface.h"
#include "platform/win_types.h"

#include <memory>

namespace platform {

struct ResolvedFont; // text.cpp

struct DeviceContext {
    explicit DeviceContext(Surface& target) : surface(&target) {}

    Surface* surface;
    COLORREF pen = 0;
    COLORREF text_colour = 0;
    POINT position {};
    StdFont font;

    // The font engine's resolved form of `font`, remade when `font` changes.
    std::shared_ptr<const ResolvedFont> resolved_font;
    StdFont resolved_for;
};

using HDC = DeviceContext*;

} // namespace platform
