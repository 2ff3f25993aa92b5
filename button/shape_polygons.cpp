// Placeholder: the triangles and arrows are being written.
#include "button/ww.h"

namespace button {
void ww::DrawTriangleUp() {}
void ww::DrawTriangleLeft() {}
void ww::DrawTriangleRight() {}
void ww::DrawTriangleDown() {}
void ww::DrawArrowUp() {}
void ww::DrawArrowLeft() {}
void ww::DrawArrowRight() {}
void ww::DrawArrowDown() {}
} // namespace button
