// Placeholder: the rounded rectangle, ellipse and diamond are being written.
#include "button/ww.h"

namespace button {
void ww::DrawRoundedRectangle() {}
void ww::DrawEllipse() {}
void ww::DrawDiamond() {}
} // namespace button
