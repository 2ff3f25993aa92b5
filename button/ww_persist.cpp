// Placeholder: the saved property set is being written.
#include "button/ww.h"

namespace button {
void ww::UserControl_ReadProperties(platform::PropertyBag&) {}
void ww::UserControl_WriteProperties(platform::PropertyBag&) {}
void ww::UserControl_Terminate() {}
} // namespace button
