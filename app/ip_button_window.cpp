// Placeholder: being written.
#include "app/ip_button_window.h"

namespace app {
IpButtonWindow::IpButtonWindow(platform::forms::Form& form) : Me(form) { (void)Me; }
} // namespace app
