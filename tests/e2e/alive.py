"""A lookup whose first picture service stalls, under a real window manager: while the download
runs the main window repaints what is uncovered, answers the window manager's ping and shows
the busy cursor; a click and a key given meanwhile take effect only after the handler, in the
order they came."""

import os
import re
import subprocess
import time
from collections import namedtuple

from harness import Failure, die_with_driver, log, stop_process, wait_for
from xprobe import Probe, xcursor_file

# What the step needs of the scenario's layout: the caption's prefix, the site, the client
# points of the site box, the Find-out button and the exit button, the client size, the
# lookup's requests in order, and the (host, path) of the service that stalls.
Layout = namedtuple("Layout", "prefix site site_box find_out exit client requests stalled")

STALL = 4.0            # seconds the stalled service keeps silent: room for every check below
REPAINT_LIMIT = 0.100  # uncovered pixels back within this
PING_LIMIT = 1.0       # a window manager's ping answered within this
COVER_COLOUR = 0xFF00FF
TYPED = "Z"


def busy_cursor_theme(work):
    """A cursor theme whose busy cursor alone is drawn, in a pattern nothing else shows; its
    folder, its name and the cursor's pixels."""
    size = 32
    argb = b"".join((0xFFFF8000 if (x // 4 + y // 4) % 2 else 0xFF0080FF).to_bytes(4, "little")
                    for y in range(size) for x in range(size))
    folder = os.path.join(work, "cursors")
    cursors = os.path.join(folder, "velmora-busy", "cursors")
    os.makedirs(cursors, exist_ok=True)
    for name in ("wait", "watch"):
        with open(os.path.join(cursors, name), "wb") as f:
            f.write(xcursor_file(size, size, argb, (size // 2, size // 2)))
    return folder, "velmora-busy", (size, size, argb)


class WindowManager:
    def __init__(self, display, work, artifacts):
        self.display = display
        self.home = os.path.join(work, "wm-home")
        self.log_path = os.path.join(artifacts, "openbox.log")
        self.process = None
        self.log_file = None

    def start(self):
        os.makedirs(self.home, mode=0o700, exist_ok=True)
        self.log_file = open(self.log_path, "wb")
        env = dict(self.display.env, HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                   XDG_CACHE_HOME=os.path.join(self.home, ".cache"))
        self.process = subprocess.Popen(["openbox", "--sm-disable"], env=env, stdin=subprocess.DEVNULL,
                                        stdout=self.log_file, stderr=subprocess.STDOUT, preexec_fn=die_with_driver)

        def managing():
            if self.process.poll() is not None:
                raise Failure("openbox ended at start; see openbox.log")
            out = self.display.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False)
            return "window id" in out

        wait_for("openbox to manage the screen", managing, 10)

    def stop(self):
        stop_process(self.process)
        if self.log_file:
            self.log_file.close()


def main_window(scenario, probe, layout):
    """The main window's own X window (the window manager frames it) and its place."""
    title = layout.prefix + layout.site

    def find():
        scenario.program.alive()
        found = scenario.x.run("xdotool", "search", "--onlyvisible", "--name", "^" + re.escape(title) + "$",
                               check=False)
        for wid in (int(w) for w in found.split()):
            frame = probe.frame(wid)
            if frame[2] == layout.client[0]:
                return wid, frame
        return None

    return wait_for(f"the main window {title!r} under openbox", find, 20)


def stable_pixels(probe, rect):
    """The pixels of `rect` once two captures 100 ms apart agree."""
    last = probe.pixels(*rect)
    for _ in range(20):
        time.sleep(0.1)
        now = probe.pixels(*rect)
        if now == last:
            return now
        last = now
    raise Failure("the main window kept changing while the download stalled")


def repaint_after_uncover(probe, rect, before):
    """Covers the window with one of ours and takes it away: the seconds until the window's
    pixels are back as they were."""
    cover = probe.cover(rect, COVER_COLOUR)
    wait_for("our cover over the main window", lambda: probe.pixels(*rect) != before, 2, interval=0.01)
    probe.uncover(cover)
    start = time.monotonic()
    while time.monotonic() - start < 1.0:
        if probe.pixels(*rect) == before:
            return time.monotonic() - start
        time.sleep(0.002)
    return None


def stalled_lookup(scenario, layout):
    x, program, server = scenario.x, scenario.program, scenario.server
    work = program.cwd
    cursor_path, cursor_theme, busy_cursor = busy_cursor_theme(work)
    manager = WindowManager(x, work, x.artifacts)
    probe = Probe(x.env)
    try:
        manager.start()
        program.env.update(XCURSOR_PATH=cursor_path, XCURSOR_THEME=cursor_theme)
        x.move(1, 1)
        program.start(3)
        window, frame = main_window(scenario, probe, layout)
        client_top = frame[1] + frame[3] - layout.client[1]

        def at(point):
            return frame[0] + point[0], client_top + point[1]

        def caption():
            return x.run("xdotool", "getwindowname", str(window), check=False).rstrip("\n")

        rect = (frame[0], frame[1], frame[2], frame[3])
        seen = len(server.seen())
        server.stall(*layout.stalled, STALL)
        x.click(*at(layout.find_out))
        wait_for("the stalled request", lambda: program.alive() and len(server.seen()) > seen, 10)
        stalled = server.seen()[seen]
        if (stalled["host"], stalled["path"].split("?")[0]) != layout.stalled:
            raise Failure(f"the lookup began with {stalled['host']}{stalled['path']}")

        # Mid-download: what the handler changed before it fetched shows, and stays.
        time.sleep(0.3)
        before = stable_pixels(probe, rect)
        repaints = [repaint_after_uncover(probe, rect, before) for _ in range(3)]
        if None in repaints:
            raise Failure("the main window did not repaint within 1 s of being uncovered during the download")
        pings = [probe.ping(window, PING_LIMIT) for _ in range(3)]
        if None in pings:
            raise Failure(f"the main window left a ping unanswered for {PING_LIMIT:g} s during the download")
        if probe.cursor() != busy_cursor:
            raise Failure("the pointer does not show the busy cursor over the main window during the download")
        # A click into the site box selects all of it; the key then replaces it.
        x.click(*at(layout.site_box))
        x.type(TYPED)
        time.sleep(0.2)
        if caption() != layout.prefix + layout.site:
            raise Failure("a click and a key given during the download were handled inside it")
        checked = time.monotonic()
        scenario.shot("stalled-download")
        log("e2e:   during the download: uncovered pixels back in "
            + ", ".join(f"{t * 1000:.0f}" for t in repaints) + " ms; pings answered in "
            + ", ".join(f"{t * 1000:.0f}" for t in pings) + " ms")

        wait_for("the whole lookup", lambda: program.alive() and len(server.seen()) >= seen + 4, 20)
        answered = server.seen()[seen].get("answered")
        if answered is None or checked >= answered:
            raise Failure(f"the checks took longer than the {STALL:g} s stall; nothing was shown")
        if max(repaints) > REPAINT_LIMIT:
            raise Failure("uncovered pixels came back in " + ", ".join(f"{t * 1000:.0f}" for t in repaints)
                          + f" ms, more than {REPAINT_LIMIT * 1000:.0f} ms")
        got = [(r["host"], r["path"]) for r in server.seen()[seen:]]
        if got != layout.requests:
            raise Failure(f"the lookup asked for {got}, expected {layout.requests}")
        expected = layout.prefix + TYPED
        try:
            wait_for("the click and the key, after the download",
                     lambda: program.alive() and caption() == expected, 5)
        except Failure:
            raise Failure(f"after the download the caption is {caption()!r}, "
                          f"expected {expected!r}: the click and the key were lost or out of order")
        wait_for("the pointer's own cursor back", lambda: probe.cursor() != busy_cursor, 3)
        scenario.shot("after-stalled-download")

        x.click(*at(layout.exit))
        status = program.wait_exit(15)
        if status != 0:
            raise Failure(f"the third run ended with status {status}")
    finally:
        probe.close()
        manager.stop()
