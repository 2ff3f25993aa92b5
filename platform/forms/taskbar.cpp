// Keeping a window out of the taskbar: on X11 the window's _NET_WM_STATE holds
// _NET_WM_STATE_SKIP_TASKBAR, merged with the states Qt sets there itself when it maps the
// window, so the window stays an ordinary top-level one in every other way.

#include "platform/forms/taskbar.h"

#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace platform::forms {

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

xcb_connection_t* x11_connection()
{
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> reply(xcb_intern_atom_reply(connection, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

std::vector<xcb_atom_t> states_of(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t state)
{
    const xcb_get_property_cookie_t cookie = xcb_get_property(connection, 0, window, state, XCB_ATOM_ATOM, 0, 1024);
    std::unique_ptr<xcb_get_property_reply_t, FreeReply> reply(xcb_get_property_reply(connection, cookie, nullptr));
    if (!reply || reply->format != 32 || reply->type != XCB_ATOM_ATOM)
        return {};
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    return {atoms, atoms + xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t))};
}

struct SkipTaskbar {
    xcb_connection_t* connection = nullptr;
    xcb_window_t window = 0;
    xcb_atom_t state = XCB_ATOM_NONE;
    xcb_atom_t skip = XCB_ATOM_NONE;
};

// The window's native side, or nothing when the desktop is not X11.
SkipTaskbar native_of(QWidget& window)
{
    xcb_connection_t* connection = x11_connection();
    if (!connection || !window.isWindow())
        return {};
    SkipTaskbar native {connection, xcb_window_t(window.winId()), atom(connection, "_NET_WM_STATE"),
                        atom(connection, "_NET_WM_STATE_SKIP_TASKBAR")};
    if (!native.window || native.state == XCB_ATOM_NONE || native.skip == XCB_ATOM_NONE)
        return {};
    return native;
}

} // namespace

void keep_out_of_taskbar(QWidget& window)
{
    const SkipTaskbar native = native_of(window);
    if (!native.connection)
        return;
    std::vector<xcb_atom_t> states = states_of(native.connection, native.window, native.state);
    if (std::find(states.begin(), states.end(), native.skip) != states.end())
        return;
    states.push_back(native.skip);
    xcb_change_property(native.connection, XCB_PROP_MODE_REPLACE, native.window, native.state, XCB_ATOM_ATOM, 32,
                        uint32_t(states.size()), states.data());
    xcb_flush(native.connection);
}

} // namespace platform::forms
