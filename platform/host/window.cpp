#include "platform/host/window.h"

#include <map>
#include <optional>

namespace platform {

namespace {

struct WindowEntry {
    WindowBackend* backend = nullptr;
    HRGN region = 0;
};

// The process's one window registry: every window, region and cursor handle.
struct Registry {
    std::map<HWND, WindowEntry> windows;
    std::map<HRGN, Region> regions;
    std::map<HCURSOR, int> cursors;
    HWND next_window = 0x10010;
    HRGN next_region = 0x20010;
    HCURSOR next_cursor = 0x30010;
    HWND capture = 0;
    HCURSOR cursor = 0;
    POINT cursor_position {};
    std::function<POINT()> cursor_source;
    std::function<void(HCURSOR)> cursor_sink;

    WindowEntry* find(HWND window)
    {
        auto it = windows.find(window);
        return it == windows.end() ? nullptr : &it->second;
    }

    void set_capture(HWND window)
    {
        if (window == capture)
            return;
        if (auto* old = find(capture); old && old->backend)
            old->backend->capture_changed(false);
        capture = window;
        if (auto* now = find(capture); now && now->backend)
            now->backend->capture_changed(true);
    }
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

} // namespace

HWND create_window(WindowBackend* backend)
{
    auto& r = registry();
    const HWND handle = r.next_window;
    r.next_window += 2;
    r.windows[handle] = {backend, 0};
    return handle;
}

void destroy_window(HWND window)
{
    auto& r = registry();
    auto* entry = r.find(window);
    if (!entry)
        return;
    if (r.capture == window)
        r.capture = 0;
    r.regions.erase(entry->region);
    r.windows.erase(window);
}

BOOL IsWindow(HWND window)
{
    return registry().find(window) ? TRUE : FALSE;
}

void set_window_backend(HWND window, WindowBackend* backend)
{
    if (auto* entry = registry().find(window))
        entry->backend = backend;
}

HRGN register_region(Region region)
{
    auto& r = registry();
    const HRGN handle = r.next_region;
    r.next_region += 2;
    r.regions.emplace(handle, std::move(region));
    return handle;
}

const Region* region_of(HRGN region)
{
    auto& regions = registry().regions;
    auto it = regions.find(region);
    return it == regions.end() ? nullptr : &it->second;
}

BOOL DeleteObject(HRGN region)
{
    auto& r = registry();
    for (const auto& [handle, entry] : r.windows)
        if (entry.region == region)
            return FALSE; // owned by a window
    return r.regions.erase(region) ? TRUE : FALSE;
}

int SetWindowRgn(HWND window, HRGN region, BOOL redraw)
{
    auto& r = registry();
    auto* entry = r.find(window);
    if (!entry || (region != 0 && !region_of(region)))
        return 0;
    if (entry->region != region)
        r.regions.erase(entry->region);
    entry->region = region;
    if (entry->backend)
        entry->backend->region_changed(region_of(region), redraw != FALSE);
    return 1;
}

const Region* window_region(HWND window)
{
    auto* entry = registry().find(window);
    return entry ? region_of(entry->region) : nullptr;
}

HWND GetCapture()
{
    return registry().capture;
}

HWND SetCapture(HWND window)
{
    auto& r = registry();
    const HWND previous = r.capture;
    if (r.find(window))
        r.set_capture(window);
    return previous;
}

BOOL ReleaseCapture()
{
    registry().set_capture(0);
    return TRUE;
}

BOOL GetCursorPos(POINT* point)
{
    if (!point)
        return FALSE;
    auto& r = registry();
    *point = r.cursor_source ? r.cursor_source() : r.cursor_position;
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    registry().cursor_position = {x, y};
    return TRUE;
}

void set_cursor_position_source(std::function<POINT()> source)
{
    registry().cursor_source = std::move(source);
}

BOOL ScreenToClient(HWND window, POINT* point)
{
    auto* entry = registry().find(window);
    if (!entry || !point)
        return FALSE;
    if (entry->backend) {
        const POINT origin = entry->backend->client_origin();
        point->x -= origin.x;
        point->y -= origin.y;
    }
    return TRUE;
}

HCURSOR LoadCursorA(HINSTANCE /*instance*/, int id)
{
    if (id != IDC_HAND && id != IDC_ARROW)
        return 0;
    auto& r = registry();
    for (const auto& [handle, loaded] : r.cursors)
        if (loaded == id)
            return handle;
    const HCURSOR handle = r.next_cursor;
    r.next_cursor += 2;
    r.cursors[handle] = id;
    return handle;
}

HCURSOR SetCursor(HCURSOR cursor)
{
    auto& r = registry();
    if (cursor != 0 && !r.cursors.count(cursor))
        return 0; // not a cursor: the shape stays
    const HCURSOR previous = r.cursor;
    r.cursor = cursor;
    if (r.cursor_sink)
        r.cursor_sink(cursor);
    return previous;
}

HCURSOR current_cursor()
{
    return registry().cursor;
}

int cursor_id(HCURSOR cursor)
{
    auto& cursors = registry().cursors;
    auto it = cursors.find(cursor);
    return it == cursors.end() ? 0 : it->second;
}

void set_cursor_sink(std::function<void(HCURSOR)> sink)
{
    registry().cursor_sink = std::move(sink);
}

} // namespace platform
