#pragma once
// Puts the shape that SetCursor sets on the screen. As on the platform, it shows at once
// over whatever is under the pointer and stays while a window holds the mouse capture;
// the next pointer move without a capture, or the capture's release, hands the screen
// back to the cursor of the window under the pointer.

namespace platform::forms {

// Connects SetCursor to the screen; calling it again changes nothing.
void show_set_cursors();
// The desktop's busy cursor over every window while `busy`, over whatever SetCursor set;
// that shape shows again after, unless it was handed back meanwhile.
void show_busy_cursor(bool busy);
// The capture went: once the handler that let it go has returned, the window under the
// pointer shows its own cursor again, unless a window took the capture meanwhile.
void capture_released();

} // namespace platform::forms
