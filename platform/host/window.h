#pragma once
// Window handles and what hangs on them: window regions, the mouse capture, the cursor
// position and the cursor shape. Handles are 32-bit numbers that are never reused, so a
// stale handle names nothing rather than somebody else's window.

#include "platform/gdi/region.h"
#include "platform/win_types.h"

#include <cstdint>
#include <functional>

namespace platform {

using HWND = uint32_t;
using HRGN = uint32_t;
using HCURSOR = uint32_t;
using HINSTANCE = uint32_t;

inline constexpr int IDC_ARROW = 32512;
inline constexpr int IDC_HAND = 32649;

// Whatever shows a window on screen (a Qt widget); a window without one lives only in
// the registry, which is all tests need.
class WindowBackend {
public:
    virtual ~WindowBackend() = default;
    // Screen position of the client area's top-left pixel.
    virtual POINT client_origin() const = 0;
    // The window's region changed; nullptr means the whole window rectangle.
    virtual void region_changed(const Region* /*region*/, bool /*redraw*/) {}
    // The window took the mouse capture or lost it: from now on (or no more) it gets
    // every pointer event, wherever the pointer is.
    virtual void capture_changed(bool /*captured*/) {}
};

HWND create_window(WindowBackend* backend = nullptr);
// Frees the window's region and capture; the handle is dead from then on.
void destroy_window(HWND window);
BOOL IsWindow(HWND window);
void set_window_backend(HWND window, WindowBackend* backend);

// A region object handed out as a handle, as the Create*Rgn calls give them.
HRGN register_region(Region region);
const Region* region_of(HRGN region);
BOOL DeleteObject(HRGN region);

// The window owns `region` from then on (0 takes the region away) and frees the one
// it had; on failure the caller keeps it.
int SetWindowRgn(HWND window, HRGN region, BOOL redraw);
// The window's current region, nullptr when it has none.
const Region* window_region(HWND window);

HWND GetCapture();
HWND SetCapture(HWND window);
BOOL ReleaseCapture();

BOOL GetCursorPos(POINT* point);
BOOL SetCursorPos(int x, int y);
BOOL ScreenToClient(HWND window, POINT* point);
// Where GetCursorPos reads from; by default the position SetCursorPos last set.
void set_cursor_position_source(std::function<POINT()> source);

HCURSOR LoadCursorA(HINSTANCE instance, int id);
// 0 hides the cursor; a handle LoadCursorA did not give changes nothing and answers 0.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR current_cursor();
int cursor_id(HCURSOR cursor); // the IDC_ number it was loaded from, 0 when unknown
// Told of every SetCursor, to show the shape.
void set_cursor_sink(std::function<void(HCURSOR)> sink);

} // namespace platform
