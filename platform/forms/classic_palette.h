#pragma once
// The colours of the standard controls: the classic system colours, whatever the desktop's
// theme, so a window looks as its definition says on every desktop.

#include <QPalette>

namespace platform::forms {

QPalette classic_palette();

} // namespace platform::forms
