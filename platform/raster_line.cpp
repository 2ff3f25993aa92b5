// Placeholder until lines land: links, draws nothing.
#include "platform/raster.h"

namespace platform {
void raster::stroke_line(Surface&, POINT, POINT, COLORREF) {}
BOOL LineTo(HDC dc, int x, int y) { dc->position = {x, y}; return TRUE; }
BOOL Polygon(HDC, const POINT*, int) { return FALSE; }
} // namespace platform
