#pragma once
// Line, arc, outline and pixel calls on a device context, with Windows' pixel rules.

#include "platform/gdi/dc.h"
#include "platform/win_types.h"

namespace platform {

// Moves the current position; the previous one goes to `previous` when given.
BOOL MoveToEx(HDC dc, int x, int y, POINT* previous);
// Draws from the current position up to, not including, (x, y), which becomes current.
BOOL LineTo(HDC dc, int x, int y);
// Counter-clockwise elliptic arc in the box, from the ray through the start point to
// the ray through the end point. A reversed box is put in order first: same pixels,
// same direction.
BOOL Arc(HDC dc, int left, int top, int right, int bottom, int x_start, int y_start, int x_end,
         int y_end);
// Outline only (hollow brush), corners of width x height ellipses.
BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height);
// Closed outline only (hollow brush); every vertex is drawn.
BOOL Polygon(HDC dc, const POINT* points, int count);

// Outside the surface SetPixel draws nothing and answers CLR_INVALID.
COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);
COLORREF GetPixel(HDC dc, int x, int y);

namespace raster {
// One pen stroke from `from` up to, not including, `to`.
void stroke_line(Surface& surface, POINT from, POINT to, COLORREF colour);
} // namespace raster

} // namespace platform
