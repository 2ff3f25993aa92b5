// Placeholder: being written.
#include "app/information_window.h"

namespace app {
InformationWindow::InformationWindow(platform::forms::Form& form) : Me(form) { (void)Me; }
} // namespace app
