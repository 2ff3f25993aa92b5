// Placeholder: being written.
#include "app/screenshot_window.h"

namespace app {
ScreenshotWindow::ScreenshotWindow(platform::forms::Form& form) : Me(form) { (void)Me; }
} // namespace app
