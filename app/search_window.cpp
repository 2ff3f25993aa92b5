// Placeholder: being written.
#include "app/search_window.h"

namespace app {
SearchWindow::SearchWindow(platform::forms::Form& form) : Me(form) { (void)Me; }
} // namespace app
