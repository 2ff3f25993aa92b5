"""The pieces the end-to-end scenario drives: waiting and holding, the picture server, the X
server with its windows, pointer, keys, clipboard and screen, and the program under test."""

import ctypes
import http.server
import json
import os
import re
import signal
import struct
import subprocess
import threading
import time
import urllib.parse
import zlib
from collections import namedtuple

# A plain picture of one colour, as the picture server answers.
Picture = namedtuple("Picture", "width height colour")


class Failure(Exception):
    pass


def die_with_driver():
    """In the child before exec: killed when the driver goes, however it goes."""
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def log(message):
    print(message, flush=True)


def wait_for(what, probe, timeout, interval=0.05):
    """Polls `probe` until it gives something true; a probe may raise Failure to stop early."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Failure(f"waited {timeout:g} s for {what}")
        time.sleep(interval)


def stop_process(process):
    if process and process.poll() is None:
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def hold(duration, probe, interval=0.05):
    """Polls `probe` for the whole duration; it raises Failure when what it watches for shows."""
    deadline = time.monotonic() + duration
    while time.monotonic() < deadline:
        probe()
        time.sleep(interval)


# ---- pictures

def png_bytes(width, height, rgb):
    """RGB rows as a PNG file."""
    stride = width * 3
    raw = b"".join(b"\0" + rgb[y * stride:(y + 1) * stride] for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def solid_png(picture):
    return png_bytes(picture.width, picture.height, bytes(picture.colour) * (picture.width * picture.height))


class Screen:
    """One capture of the root window."""

    def __init__(self, ppm):
        fields = []
        pos = 0
        while len(fields) < 4:
            match = re.compile(rb"\s*(#[^\n]*\n\s*)*(\S+)").match(ppm, pos)
            if not match:
                raise Failure("unreadable screen capture")
            fields.append(match.group(2))
            pos = match.end()
        if fields[0] != b"P6" or fields[3] != b"255":
            raise Failure("unexpected screen capture format")
        self.width, self.height = int(fields[1]), int(fields[2])
        self.rgb = ppm[pos + 1:pos + 1 + self.width * self.height * 3]

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def save(self, path):
        with open(path, "wb") as f:
            f.write(png_bytes(self.width, self.height, self.rgb))


def close(a, b, tolerance):
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


# ---- the picture services

class PictureServer:
    """Answers the picture services' GETs and keeps each request."""

    def __init__(self, address, log_path, pictures):
        """`pictures`: what to answer, a Picture by (host, path)."""
        self.requests = []
        self.stalls = {}
        self.lock = threading.Lock()
        self.log_path = log_path
        self.bodies = {key: solid_png(p) for key, p in pictures.items()}
        server = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                server.answer(self)

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(address, Handler)
        self.httpd.daemon_threads = True
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def answer(self, handler):
        # Through a proxy the request line holds the whole address.
        target = urllib.parse.urlsplit(handler.path)
        host = (target.hostname or handler.headers.get("Host", "")).split(":")[0].lower()
        path = target.path or "/"
        full = path + ("?" + target.query if target.query else "")
        record = {"host": host, "path": full, "agent": handler.headers.get("User-Agent"),
                  "time": round(time.monotonic(), 3)}
        with self.lock:
            self.requests.append(record)
            with open(self.log_path, "a") as f:
                f.write(json.dumps(record, ensure_ascii=False) + "\n")
            stall = self.stalls.pop((host, path), 0)
        if stall:
            time.sleep(stall)
            with self.lock:
                record["answered"] = round(time.monotonic(), 3)
        body = self.bodies.get((host, path))
        handler.send_response(200 if body else 404)
        handler.send_header("Content-Type", "image/png" if body else "text/plain")
        handler.send_header("Content-Length", str(len(body or b"")))
        handler.end_headers()
        if body:
            handler.wfile.write(body)

    def stall(self, host, path, seconds):
        """The next request for this picture gets no answer for `seconds`."""
        with self.lock:
            self.stalls[(host, path)] = seconds

    def seen(self):
        with self.lock:
            return [dict(r) for r in self.requests]

    def stop(self):
        self.httpd.shutdown()
        self.httpd.server_close()


# ---- the X server and the program

Window = namedtuple("Window", "id name x y width height type states")


class Display:
    def __init__(self, work, artifacts):
        self.work = work
        self.artifacts = artifacts
        self.process = None
        self.env = None
        self.root = None
        self.log = None
        self.clipboard_owner = None

    def start(self, timeout=15):
        auth = os.path.join(self.work, "xauthority")
        cookie = os.urandom(16).hex()
        deadline = time.monotonic() + timeout
        first = 100 + os.getpid() % 400
        xvfb_log = self.log = open(os.path.join(self.artifacts, "xvfb.log"), "ab")
        for number in range(first, first + 200):
            if os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(f"/tmp/.X11-unix/X{number}"):
                continue
            open(auth, "w").close()
            subprocess.run(["xauth", "-q", "-f", auth, "add", f":{number}", "MIT-MAGIC-COOKIE-1", cookie], check=True)
            self.process = subprocess.Popen(
                ["Xvfb", f":{number}", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset", "-auth", auth],
                stdin=subprocess.DEVNULL, stdout=xvfb_log, stderr=xvfb_log, preexec_fn=die_with_driver)
            self.env = dict(os.environ, DISPLAY=f":{number}", XAUTHORITY=auth)
            while time.monotonic() < deadline:
                if self.process.poll() is not None:
                    break  # the number was taken after all: try the next one
                if subprocess.run(["xdotool", "getdisplaygeometry"], env=self.env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL).returncode == 0:
                    self.root = int(re.search(r"Window id: (0x[0-9a-f]+)", self.run("xwininfo", "-root")).group(1), 16)
                    return
                time.sleep(0.05)
            if time.monotonic() >= deadline:
                break
        raise Failure("Xvfb did not start; see xvfb.log")

    def stop(self):
        stop_process(self.clipboard_owner)
        stop_process(self.process)
        if self.log:
            self.log.close()

    def run(self, *args, check=True, timeout=10):
        try:
            result = subprocess.run(args, env=self.env, stdin=subprocess.DEVNULL, capture_output=True,
                                    timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"{' '.join(args)} did not answer in {timeout:g} s")
        if check and result.returncode != 0:
            raise Failure(f"{' '.join(args)} failed: {result.stderr.decode(errors='replace').strip()}")
        return result.stdout.decode("utf-8", errors="replace")

    def windows(self):
        """The mapped top-level windows, the root left out."""
        listing = self.run("xdotool", "search", "--onlyvisible", "--maxdepth", "1", "--name", "", check=False)
        found = []
        for wid in (int(w) for w in listing.split()):
            if wid == self.root:
                continue
            out = self.run("xdotool", "getwindowname", str(wid), "getwindowgeometry", "--shell", str(wid), check=False)
            lines = out.split("\n")
            geometry = dict(line.split("=", 1) for line in lines[1:] if "=" in line)
            if not {"X", "Y", "WIDTH", "HEIGHT"} <= geometry.keys():
                continue  # gone meanwhile
            props = self.run("xprop", "-id", str(wid), "-notype", "_NET_WM_WINDOW_TYPE", "_NET_WM_STATE", check=False)
            match = re.search(r"_NET_WM_WINDOW_TYPE_(\w+)", props)
            states = frozenset(re.findall(r"_NET_WM_STATE_(\w+)", props))
            found.append(Window(wid, lines[0], int(geometry["X"]), int(geometry["Y"]), int(geometry["WIDTH"]),
                                int(geometry["HEIGHT"]), match.group(1) if match else "", states))
        return found

    def capture(self):
        result = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], env=self.env, capture_output=True, timeout=20)
        if result.returncode != 0:
            raise Failure("screen capture failed: " + result.stderr.decode(errors="replace").strip())
        return Screen(result.stdout)

    def screenshot(self, name):
        screen = self.capture()
        screen.save(os.path.join(self.artifacts, name + ".png"))
        return screen

    def size(self):
        """The screen's width and height."""
        width, height = self.run("xdotool", "getdisplaygeometry").split()
        return int(width), int(height)

    def name(self, window):
        return self.run("xdotool", "getwindowname", str(window.id), check=False).rstrip("\n")

    def move(self, x, y):
        # Not --sync: it waits for a motion, and there is none when the pointer is there already.
        self.run("xdotool", "mousemove", str(x), str(y))
        wait_for(f"the pointer at {x},{y}",
                 lambda: self.run("xdotool", "getmouselocation", "--shell").startswith(f"X={x}\nY={y}\n"), 2)

    def click(self, x, y, button=1):
        self.move(x, y)
        time.sleep(0.05)  # a moment of hover, as a hand gives
        self.run("xdotool", "click", str(button))

    def tap(self, x, y):
        """The pointer goes there and presses at once, in one call: no hover before the press."""
        self.run("xdotool", "mousemove", str(x), str(y), "click", "1")

    def double_click(self, x, y):
        self.move(x, y)
        time.sleep(0.05)
        self.run("xdotool", "click", "--repeat", "2", "--delay", "60", "1")

    def drag(self, start, end):
        """Presses the left button at `start`, moves to `end` and lets go there."""
        self.move(*start)
        self.run("xdotool", "mousedown", "1")
        self.move(*end)
        self.run("xdotool", "mouseup", "1")

    def key(self, *keys):
        self.run("xdotool", "key", "--clearmodifiers", *keys)

    def type(self, text):
        self.run("xdotool", "type", "--delay", "0", "--", text)

    def focus(self, window):
        # No window manager: the window is raised and given the focus, not asked for them.
        self.run("xdotool", "windowraise", str(window.id))
        self.run("xdotool", "windowfocus", "--sync", str(window.id))

    def set_clipboard(self, text):
        """Puts `text` on the clipboard: an xclip of ours owns it, in the foreground, until the
        program takes the clipboard over or the next call ends it."""
        stop_process(self.clipboard_owner)
        self.clipboard_owner = subprocess.Popen(["xclip", "-quiet", "-i", "-selection", "clipboard"], env=self.env,
                                                stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                                stderr=subprocess.DEVNULL, preexec_fn=die_with_driver)
        self.clipboard_owner.stdin.write(text.encode())
        self.clipboard_owner.stdin.close()
        wait_for("our text on the clipboard", lambda: self.clipboard() == text, 3)

    def clipboard(self):
        result = subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=self.env, capture_output=True,
                                timeout=5)
        return result.stdout.decode("utf-8", errors="replace") if result.returncode == 0 else None


class Program:
    """The program under test, in its private settings and temporary folders."""

    def __init__(self, path, work, artifacts, display, proxy):
        self.path = path
        self.artifacts = artifacts
        self.display = display
        self.process = None
        self.log_path = None
        self.log_file = None
        self.logs = []
        home = os.path.join(work, "home")
        config = os.path.join(work, "config")
        runtime = os.path.join(work, "runtime")
        tmp = os.path.join(work, "tmp")
        for folder in (home, config, runtime, tmp):
            os.makedirs(folder, mode=0o700, exist_ok=True)
        self.registry = os.path.join(config, "velmora", "registry.reg")
        self.opened_log = os.path.join(artifacts, "opened.jsonl")
        bin_dir = os.path.join(work, "bin")
        os.makedirs(bin_dir, exist_ok=True)
        recorder = os.path.join(bin_dir, "xdg-open")
        with open(recorder, "w") as f:
            f.write("#!/usr/bin/python3\n"
                    "# Stands in for xdg-open: keeps what it was asked to open, opens nothing.\n"
                    "import json, os, sys\n"
                    f"fd = os.open({self.opened_log!r}, os.O_WRONLY | os.O_APPEND | os.O_CREAT, 0o600)\n"
                    "os.write(fd, (json.dumps({'argv': sys.argv[1:]}, ensure_ascii=False) + '\\n').encode())\n")
        os.chmod(recorder, 0o755)
        env = {k: v for k, v in display.env.items() if "proxy" not in k.lower()}
        env.update(HOME=home, XDG_CONFIG_HOME=config, XDG_CACHE_HOME=os.path.join(home, ".cache"),
                   XDG_DATA_HOME=os.path.join(home, ".local", "share"), XDG_RUNTIME_DIR=runtime, TMPDIR=tmp,
                   PATH=bin_dir + ":" + os.environ.get("PATH", "/usr/bin:/bin"), QT_QPA_PLATFORM="xcb",
                   LANG="C.UTF-8", DBUS_SESSION_BUS_ADDRESS="disabled:", NO_AT_BRIDGE="1",
                   ASAN_OPTIONS="detect_leaks=0", UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1")
        if proxy:
            env.update(http_proxy=proxy, no_proxy="")
        self.env = env
        self.cwd = work

    def start(self, run, extra_env=None):
        self.log_path = os.path.join(self.artifacts, f"velmora-run{run}.log")
        self.logs.append(self.log_path)
        if self.log_file:
            self.log_file.close()
        self.log_file = open(self.log_path, "wb")
        self.process = subprocess.Popen([self.path], cwd=self.cwd, env=dict(self.env, **(extra_env or {})),
                                        stdin=subprocess.DEVNULL,
                                        stdout=self.log_file, stderr=subprocess.STDOUT,
                                        preexec_fn=die_with_driver)

    def alive(self):
        """Raises Failure when the program ended on its own."""
        code = self.process.poll()
        if code is not None:
            raise Failure(f"the program ended unexpectedly with status {code}; see {os.path.basename(self.log_path)}")
        return True

    def maps(self, library):
        """Whether the running program has a library of this name mapped."""
        with open(f"/proc/{self.process.pid}/maps") as f:
            return any(f"/{library}." in line for line in f)

    def wait_exit(self, timeout):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program was still running {timeout:g} s after the exit button")

    def stop(self):
        stop_process(self.process)
        if self.log_file:
            self.log_file.close()

    def sanitizer_report(self):
        for path in self.logs:
            with open(path, "rb") as f:
                text = f.read().decode(errors="replace")
            match = re.search(r"^.*(ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error:).*$", text, re.M)
            if match:
                return f"{os.path.basename(path)}: {match.group(0)}"
        return None

    def opened(self):
        if not os.path.exists(self.opened_log):
            return []
        with open(self.opened_log, encoding="utf-8") as f:
            return [json.loads(line)["argv"] for line in f if line.strip()]

    def settings(self):
        """The values under Software\\Velmora\\Settings, as the registry file holds them."""
        if not os.path.exists(self.registry):
            return None
        with open(self.registry, encoding="utf-8") as f:
            text = f.read()
        values = {}
        section = None
        for line in text.replace("\\\n", "").split("\n"):
            line = line.strip()
            if line.startswith("["):
                section = line.strip("[]").lower()
                continue
            if section != "hkey_local_machine\\software\\velmora\\settings":
                continue
            match = re.match(r'"((?:[^"\\]|\\.)*)"=(.*)$', line)
            if not match:
                continue
            name, data = match.group(1), match.group(2)
            if data.startswith('"'):
                values[name] = re.sub(r"\\(.)", r"\1", data[1:-1])
            elif data.startswith("hex(1):") or data.startswith("hex:"):
                raw = bytes(int(b, 16) for b in data.split(":", 1)[1].replace(" ", "").split(",") if b)
                values[name] = raw.rstrip(b"\0").decode("utf-8", errors="replace")
            else:
                values[name] = data
        return values
