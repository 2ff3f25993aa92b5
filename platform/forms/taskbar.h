#pragma once
// Keeping a program window out of the desktop's taskbar, where the desktop offers a way.

class QWidget;

namespace platform::forms {

// Marks the top-level `window` as one the taskbar leaves out. Call it before every show,
// while the window is unmapped: an X11 window manager reads the mark when the window is
// mapped, and may drop it when the window is withdrawn. Elsewhere it does nothing.
void keep_out_of_taskbar(QWidget& window);

} // namespace platform::forms
