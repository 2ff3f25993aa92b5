// Placeholder until regions land: links, covers nothing.
#include "platform/region.h"

namespace platform {
bool Region::contains(int, int) const { return false; }
RECT Region::bounds() const { return {}; }
bool Region::is_valid() const { return true; }
Region Region::from_rows(int, const std::vector<std::vector<Span>>&) { return {}; }
Region CreateRoundRectRgn(int, int, int, int, int, int) { return {}; }
Region CreateEllipticRgn(int, int, int, int) { return {}; }
Region CreatePolygonRgn(const POINT*, int, int) { return {}; }
} // namespace platform
