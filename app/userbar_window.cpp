// Placeholder: being written.
#include "app/userbar_window.h"

namespace app {
UserbarWindow::UserbarWindow(platform::forms::Form& form) : Me(form) { (void)Me; }
} // namespace app
