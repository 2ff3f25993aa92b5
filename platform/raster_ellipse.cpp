// Placeholder until arcs land: links, draws nothing.
#include "platform/raster.h"

namespace platform {
BOOL Arc(HDC, int, int, int, int, int, int, int, int) { return FALSE; }
BOOL RoundRect(HDC, int, int, int, int, int, int) { return FALSE; }
} // namespace platform
