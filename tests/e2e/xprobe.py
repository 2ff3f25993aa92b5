"""The X11 calls the command-line tools do not make, through Xlib by ctypes: a window manager's
ping to a window and its answer, the screen's pixels fast enough to time a repaint, a window
of our own laid over another, and the image of the pointer's cursor."""

import ctypes
import os
import struct
import time
from ctypes import POINTER, byref, c_char_p, c_int, c_long, c_uint, c_ulong, c_ushort, c_short, c_void_p

CLIENT_MESSAGE = 33
STRUCTURE_NOTIFY_MASK = 1 << 17
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
Z_PIXMAP = 2
INPUT_OUTPUT = 1
CW_BACK_PIXEL = 1 << 1
CW_OVERRIDE_REDIRECT = 1 << 9


class ClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int), ("display", c_void_p),
                ("window", c_ulong), ("message_type", c_ulong), ("format", c_int), ("data", c_long * 5)]


class Event(ctypes.Union):
    _fields_ = [("type", c_int), ("xclient", ClientMessageEvent), ("pad", c_long * 24)]


class ImageFuncs(ctypes.Structure):
    _fields_ = [(name, c_void_p) for name in
                ("create_image", "destroy_image", "get_pixel", "put_pixel", "sub_image", "add_pixel")]


class Image(ctypes.Structure):
    _fields_ = [("width", c_int), ("height", c_int), ("xoffset", c_int), ("format", c_int), ("data", c_void_p),
                ("byte_order", c_int), ("bitmap_unit", c_int), ("bitmap_bit_order", c_int), ("bitmap_pad", c_int),
                ("depth", c_int), ("bytes_per_line", c_int), ("bits_per_pixel", c_int), ("red_mask", c_ulong),
                ("green_mask", c_ulong), ("blue_mask", c_ulong), ("obdata", c_void_p), ("f", ImageFuncs)]


class SetWindowAttributes(ctypes.Structure):
    _fields_ = [("background_pixmap", c_ulong), ("background_pixel", c_ulong), ("border_pixmap", c_ulong),
                ("border_pixel", c_ulong), ("bit_gravity", c_int), ("win_gravity", c_int), ("backing_store", c_int),
                ("backing_planes", c_ulong), ("backing_pixel", c_ulong), ("save_under", c_int),
                ("event_mask", c_long), ("do_not_propagate_mask", c_long), ("override_redirect", c_int),
                ("colormap", c_ulong), ("cursor", c_ulong)]


class CursorImage(ctypes.Structure):
    _fields_ = [("x", c_short), ("y", c_short), ("width", c_ushort), ("height", c_ushort), ("xhot", c_ushort),
                ("yhot", c_ushort), ("cursor_serial", c_ulong), ("pixels", POINTER(c_ulong))]


class ProbeError(Exception):
    pass


class Probe:
    """One connection to the X server named by `env` (DISPLAY, XAUTHORITY)."""

    def __init__(self, env):
        self.x = ctypes.CDLL("libX11.so.6")
        self.fixes = ctypes.CDLL("libXfixes.so.3")
        self.x.XOpenDisplay.restype = c_void_p
        self.x.XOpenDisplay.argtypes = [c_char_p]
        self.x.XDefaultRootWindow.restype = c_ulong
        self.x.XDefaultRootWindow.argtypes = [c_void_p]
        self.x.XInternAtom.restype = c_ulong
        self.x.XInternAtom.argtypes = [c_void_p, c_char_p, c_int]
        self.x.XSendEvent.argtypes = [c_void_p, c_ulong, c_int, c_long, POINTER(Event)]
        self.x.XSelectInput.argtypes = [c_void_p, c_ulong, c_long]
        self.x.XPending.argtypes = [c_void_p]
        self.x.XNextEvent.argtypes = [c_void_p, POINTER(Event)]
        self.x.XSync.argtypes = [c_void_p, c_int]
        self.x.XFlush.argtypes = [c_void_p]
        self.x.XGetImage.restype = POINTER(Image)
        self.x.XGetImage.argtypes = [c_void_p, c_ulong, c_int, c_int, c_uint, c_uint, c_ulong, c_int]
        self.x.XCreateWindow.restype = c_ulong
        self.x.XCreateWindow.argtypes = [c_void_p, c_ulong, c_int, c_int, c_uint, c_uint, c_uint, c_int, c_uint,
                                         c_void_p, c_ulong, POINTER(SetWindowAttributes)]
        for name in ("XMapRaised", "XUnmapWindow", "XDestroyWindow"):
            getattr(self.x, name).argtypes = [c_void_p, c_ulong]
        self.x.XTranslateCoordinates.argtypes = [c_void_p, c_ulong, c_ulong, c_int, c_int, POINTER(c_int),
                                                 POINTER(c_int), POINTER(c_ulong)]
        self.x.XGetGeometry.argtypes = [c_void_p, c_ulong, POINTER(c_ulong), POINTER(c_int), POINTER(c_int),
                                        POINTER(c_uint), POINTER(c_uint), POINTER(c_uint), POINTER(c_uint)]
        self.x.XFree.argtypes = [c_void_p]
        self.x.XCloseDisplay.argtypes = [c_void_p]
        self.fixes.XFixesQueryVersion.argtypes = [c_void_p, POINTER(c_int), POINTER(c_int)]
        self.fixes.XFixesGetCursorImage.restype = POINTER(CursorImage)
        self.fixes.XFixesGetCursorImage.argtypes = [c_void_p]

        saved = os.environ.get("XAUTHORITY")
        os.environ["XAUTHORITY"] = env["XAUTHORITY"]
        try:
            self.dpy = self.x.XOpenDisplay(env["DISPLAY"].encode())
        finally:
            if saved is None:
                del os.environ["XAUTHORITY"]
            else:
                os.environ["XAUTHORITY"] = saved
        if not self.dpy:
            raise ProbeError(f"cannot open the display {env['DISPLAY']}")
        self.root = self.x.XDefaultRootWindow(self.dpy)
        major, minor = c_int(6), c_int(0)
        self.fixes.XFixesQueryVersion(self.dpy, byref(major), byref(minor))
        self.wm_protocols = self.x.XInternAtom(self.dpy, b"WM_PROTOCOLS", 0)
        self.net_wm_ping = self.x.XInternAtom(self.dpy, b"_NET_WM_PING", 0)
        # A window manager's answers come to the root window.
        self.x.XSelectInput(self.dpy, self.root, STRUCTURE_NOTIFY_MASK | SUBSTRUCTURE_NOTIFY_MASK)
        self.x.XSync(self.dpy, 0)
        self.pings = 0

    def close(self):
        if self.dpy:
            self.x.XCloseDisplay(self.dpy)
            self.dpy = None

    def frame(self, window):
        """The window's place on the screen and its size: x, y, width, height."""
        root, x, y = c_ulong(), c_int(), c_int()
        width, height, border, depth = c_uint(), c_uint(), c_uint(), c_uint()
        if not self.x.XGetGeometry(self.dpy, window, byref(root), byref(x), byref(y), byref(width), byref(height),
                                   byref(border), byref(depth)):
            raise ProbeError(f"no window {window:#x}")
        child = c_ulong()
        self.x.XTranslateCoordinates(self.dpy, window, self.root, 0, 0, byref(x), byref(y), byref(child))
        return x.value, y.value, width.value, height.value

    def ping(self, window, timeout):
        """Sends _NET_WM_PING as a window manager does; the seconds until the answer came back
        to the root window, or None when none came within `timeout`."""
        self.pings += 1
        stamp = 0x5E1F0000 + self.pings  # tells this ping's answer from any other
        event = Event()
        event.xclient.type = CLIENT_MESSAGE
        event.xclient.window = window
        event.xclient.message_type = self.wm_protocols
        event.xclient.format = 32
        event.xclient.data[0] = self.net_wm_ping
        event.xclient.data[1] = stamp
        event.xclient.data[2] = window
        self.drain()
        start = time.monotonic()
        self.x.XSendEvent(self.dpy, window, 0, 0, byref(event))
        self.x.XFlush(self.dpy)
        while time.monotonic() - start < timeout:
            while self.x.XPending(self.dpy):
                got = Event()
                self.x.XNextEvent(self.dpy, byref(got))
                c = got.xclient
                if (got.type == CLIENT_MESSAGE and c.message_type == self.wm_protocols
                        and c.data[0] == self.net_wm_ping and c.data[1] == stamp and c.data[2] == window):
                    return time.monotonic() - start
            time.sleep(0.001)
        return None

    def drain(self):
        got = Event()
        while self.x.XPending(self.dpy):
            self.x.XNextEvent(self.dpy, byref(got))

    def pixels(self, x, y, width, height):
        """The screen's pixels in the rectangle, as the server holds them."""
        image = self.x.XGetImage(self.dpy, self.root, x, y, width, height, 0xFFFFFFFF, Z_PIXMAP)
        if not image:
            raise ProbeError("the screen could not be read")
        try:
            return ctypes.string_at(image.contents.data, image.contents.bytes_per_line * height)
        finally:
            ctypes.CFUNCTYPE(c_int, c_void_p)(image.contents.f.destroy_image)(ctypes.cast(image, c_void_p))

    def cover(self, rect, colour):
        """Maps a window of one colour over `rect`, out of the window manager's hands; returns it
        once it shows."""
        attributes = SetWindowAttributes()
        attributes.background_pixel = colour
        attributes.override_redirect = 1
        x, y, width, height = rect
        window = self.x.XCreateWindow(self.dpy, self.root, x, y, width, height, 0, 0, INPUT_OUTPUT, None,
                                      CW_BACK_PIXEL | CW_OVERRIDE_REDIRECT, byref(attributes))
        self.x.XMapRaised(self.dpy, window)
        self.x.XSync(self.dpy, 0)
        return window

    def uncover(self, window):
        self.x.XUnmapWindow(self.dpy, window)
        self.x.XDestroyWindow(self.dpy, window)
        self.x.XSync(self.dpy, 0)

    def cursor(self):
        """The cursor on the screen now: (width, height, ARGB pixels as bytes)."""
        image = self.fixes.XFixesGetCursorImage(self.dpy)
        if not image:
            raise ProbeError("the cursor image could not be read")
        try:
            c = image.contents
            argb = struct.pack(f"<{c.width * c.height}I", *(c.pixels[i] & 0xFFFFFFFF for i in range(c.width * c.height)))
            return c.width, c.height, argb
        finally:
            self.x.XFree(ctypes.cast(image, c_void_p))


def xcursor_file(width, height, argb, hot=(0, 0)):
    """A cursor theme's file of one image: `argb` is width * height premultiplied ARGB words."""
    image_type = 0xFFFD0002
    header = struct.pack("<4sIII", b"Xcur", 16, 0x10000, 1)
    toc = struct.pack("<III", image_type, width, 16 + 12)
    chunk = struct.pack("<9I", 36, image_type, width, 1, width, height, hot[0], hot[1], 0)
    return header + toc + chunk + argb
