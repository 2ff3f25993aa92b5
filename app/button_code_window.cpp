// Placeholder: being written.
#include "app/button_code_window.h"

namespace app {
ButtonCodeWindow::ButtonCodeWindow(platform::forms::Form& form) : Me(form) { (void)Me; }
} // namespace app
