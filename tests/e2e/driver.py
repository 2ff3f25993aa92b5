#!/usr/bin/python3
"""Drives the real program the way a newcomer meets it, through its X server only.

Run by e2e_test.sh, normally inside private network, mount and PID namespaces where the
picture services' host names lead to this script's own HTTP server on 127.0.0.1:80. The
program gets its own Xvfb, settings folder, temporary folders and a recording xdg-open.
Every step saves a screenshot into the artifacts folder; a failure saves one more.
"""

import argparse
import os
import shutil
import signal
import socket
import subprocess
import sys
import time
import traceback

import alive
from harness import Display, Failure, Picture, PictureServer, Program, close, hold, log, wait_for

PREFIX = "Работаем с сайтом: "
# The site box's design text is the default site; loading it again changes nothing, so the
# caption keeps the definition's until the box changes.
DESIGN_CAPTION = "Velmora v2.0.0"
DEFAULT_SITE = "orlanwerk.example"
SITE = "e2e-site.example"
NOTICE_TITLE = "Первый запуск"
FIRST_RUN_FLAG = "Первый вход"
CODE_WINDOW_TITLE = "Код кнопки"
USERBAR_WINDOW_TITLE = "IP Юзербары для подписей на форумах"
SEARCH_WINDOW_TITLE = "Поиск"
SCREENSHOT_WINDOW_TITLE = "Скриншот сайта"
AGENT = "Mozilla/4.0"
NOTHING_COPIED = "(nothing copied)"

# The picture services' hosts, as the main window's hidden boxes name them.
SERVICE_HOSTS = ["2ip.ru", "www.yandex.ru", "www.prchecker.info", "images.websnapr.com"]

# What the server answers, by host and path: a plain picture of one colour each, so the
# screenshot shows which one landed where.
PICTURES = {
    ("2ip.ru", "/_res/script/image.php"): Picture(88, 31, (255, 0, 0)),
    ("2ip.ru", "/_res/userbar/ua-bar.gif"): Picture(350, 19, (0, 160, 0)),
    ("www.yandex.ru", "/cycounter"): Picture(88, 31, (255, 0, 255)),
    ("www.prchecker.info", "/prx.php"): Picture(80, 15, (255, 140, 0)),
    ("images.websnapr.com", "/"): Picture(202, 152, (0, 200, 200)),
}

# The four GETs of one lookup, in the order the program makes them.
LOOKUP_REQUESTS = [
    ("2ip.ru", "/_res/script/image.php?type=5&lang=ru"),
    ("2ip.ru", "/_res/userbar/ua-bar.gif"),
    ("www.yandex.ru", "/cycounter?" + SITE),
    ("www.prchecker.info", "/prx.php?s=http://" + SITE),
]

HOUSE_ADDRESS = "http://" + SITE
# The search window's Google prefix and the word box's design text.
SEARCH_ADDRESS = "http://www.google.com/search?q=Orlanwerk"
# "Информация о сайте" > "Ссылки по Google": template, site, suffix.
MENU_ADDRESS = "http://www.google.com/search?sourceid=navclient&ie=UTF-8&oe=UTF-8&q=link:" + SITE + "/&"

CITATION_CODE = ('<a href="http://www.yandex.ru/cy?base=0&host=' + SITE + '" target=_blank> <img src="'
                 'http://www.yandex.ru/cycounter?' + SITE + '" border="0"alt="Тиц Яндекс" width="88"height="31"></a>')
PAGERANK_CODE = ('<a href="http://www.prchecker.info" target=_blank> <img src="'
                 'http://www.prchecker.info/prx.php?s=http://' + SITE + '" border="0"alt="PageRank" width="80"height="15"></a>')

# Window sizes in pixels: the client areas of the definitions (twips / 15).
SPLASH_SIZE = (480, 202)
MAIN_CLIENT = (368, 193)
CODE_CLIENT = (312, 208)
SEARCH_CLIENT = (329, 78)
SCREENSHOT_CLIENT = (220, 168)


def twips(left, top, width, height):
    """The centre of a control given in twips, in client pixels."""
    return (round((left + width / 2) / 15), round((top + height / 2) / 15))


# Controls of the main window (Form1.window) and the code window (Form2.window).
SITE_BOX = twips(795, 1440, 4215, 375)
FIND_OUT = twips(120, 1920, 2415, 375)
GET_CODE = twips(3090, 1920, 2250, 375)
HOUSE = twips(5040, 1440, 375, 375)
EXIT = twips(5040, 2400, 375, 375)
SCREENSHOT_BUTTON = twips(105, 2400, 2415, 375)
SUNFLOWER = twips(3480, 2400, 375, 375)  # Form1.ww4, the userbar code window
SEARCH_BUTTON = twips(3960, 2400, 495, 375)
CODE_BOX_1 = twips(120, 360, 4455, 855)
CODE_BOX_2 = twips(120, 1560, 4455, 975)
TO_USERBARS = twips(4200, 2640, 375, 375)  # Form2.ww1
# The search window (Form7.window): the engine box's edit field, left of its arrow, and OK.
ENGINE_BOX = (40, twips(120, 120, 3975, 315)[1])
SEARCH_OK = twips(4200, 120, 615, 975)
# The userbar code window (Form5.window): the third option's button and the HTML code box.
USERBAR_CLIENT = (394, 470)
USERBAR_OPTION_3 = twips(120, 1080, 255, 255)
USERBAR_HTML_BOX = twips(120, 4320, 5655, 855)
USERBAR_3_PICTURE = "http://2ip.ru/_res/userbar/ua-bar.gif"  # its Text4
# The screenshot window (Form3.window): a spot inside the fetched picture at 8, 8.
SCREENSHOT_SPOT = (8 + 60, 8 + 60)

# Where each result picture shows once fetched: its area's top left plus half its picture.
RESULT_SPOTS = {
    "IP address": ((216 + 44, 8 + 15), PICTURES[("2ip.ru", "/_res/script/image.php")].colour),
    "IP userbar": ((8 + 175, 64 + 9), PICTURES[("2ip.ru", "/_res/userbar/ua-bar.gif")].colour),
    "citation-index counter": ((72 + 44, 8 + 15), PICTURES[("www.yandex.ru", "/cycounter")].colour),
    "PageRank badge": ((149 + 40, 40 + 7), PICTURES[("www.prchecker.info", "/prx.php")].colour),
}
# A spot of the banner that no result covers, and one of the bare background on the same row.
BANNER_SPOT = (100, 50)
BACKGROUND_SPOT = (64, 50)


# ---- the scenario

class Scenario:
    def __init__(self, display, program, server):
        self.x = display
        self.program = program
        self.server = server
        self.main = None
        self.shots = 0

    def shot(self, name):
        self.shots += 1
        return self.x.screenshot(f"{self.shots:02d}-{name}")

    def windows(self):
        self.program.alive()
        return self.x.windows()

    @staticmethod
    def splash_of(windows):
        return next((w for w in windows if (w.width, w.height) == SPLASH_SIZE), None)

    @staticmethod
    def main_of(windows):
        return next((w for w in windows if w.width == MAIN_CLIENT[0] and w.type == "NORMAL"), None)

    @staticmethod
    def dialog_of(windows):
        return next((w for w in windows if w.type == "DIALOG"), None)

    @staticmethod
    def tip_of(windows):
        return next((w for w in windows if w.type == "TOOLTIP"), None)

    def at(self, window, point, client_height):
        """Screen position of a client point; a menu bar, if any, sits above the client area."""
        return window.x + point[0], window.y + window.height - client_height + point[1]

    def main_at(self, point):
        return self.at(self.main, point, MAIN_CLIENT[1])

    def caption(self):
        return self.x.name(self.main)

    def expect_caption(self, expected, timeout=3):
        try:
            wait_for(f"caption {expected!r}", lambda: self.program.alive() and self.caption() == expected, timeout)
        except Failure:
            raise Failure(f"the main window's caption is {self.caption()!r}, expected {expected!r}")

    def copy_from(self, window, point, client_height, expected, double=False, timeout=3):
        """Clicks (or double-clicks) into a box, which selects all of it, copies, and expects
        exactly `expected`. The clipboard is emptied first, so an earlier copy cannot pass for this one."""
        self.x.set_clipboard(NOTHING_COPIED)
        self.x.focus(window)
        at = self.at(window, point, client_height)
        if double:
            self.x.double_click(*at)
        else:
            self.x.click(*at)
        got = [None]

        def copied():
            self.x.key("ctrl+c")
            got[0] = self.x.clipboard()
            return got[0] == expected

        try:
            wait_for("the clipboard", copied, timeout, interval=0.2)
        except Failure:
            raise Failure(f"copied {got[0]!r} from the box, expected {expected!r}")
        with open(os.path.join(self.x.artifacts, "copied.txt"), "a", encoding="utf-8") as f:
            f.write(repr(got[0]) + "\n")

    def out_of_taskbar(self, window, title):
        """A window whose definition keeps it out of the taskbar: marked so, and an ordinary one."""
        if window.type != "NORMAL":
            raise Failure(f"the {title} window is of type {window.type!r}, expected NORMAL")
        if "SKIP_TASKBAR" not in window.states:
            raise Failure(f"the {title} window is not marked to skip the taskbar (states {sorted(window.states)})")

    def window_named(self, title, timeout=10):
        return wait_for(f"the window {title!r}",
                        lambda: next((w for w in self.windows() if w.name == title), None), timeout)

    # 1
    def first_start(self):
        if self.program.settings() is not None:
            raise Failure("the settings file exists before the first start")
        self.program.start(1)

        def splash_first():
            windows = self.windows()
            if self.main_of(windows) or self.dialog_of(windows):
                raise Failure("a window came before the splash: " + ", ".join(w.name for w in windows))
            return self.splash_of(windows)

        splash = wait_for("the splash window", splash_first, 20)
        self.shot("splash")
        if "SKIP_TASKBAR" not in splash.states:
            raise Failure(f"the splash window is not marked to skip the taskbar (states {sorted(splash.states)})")

        def notice_before_main():
            windows = self.windows()
            if self.main_of(windows):
                raise Failure("the main window was shown before the first-run notice")
            return self.dialog_of(windows)

        notice = wait_for("the first-run notice", notice_before_main, 10)
        windows = self.windows()
        if not self.splash_of(windows):
            raise Failure("the splash window went before the first-run notice was closed")
        if notice.name != NOTICE_TITLE:
            raise Failure(f"the first-run notice is titled {notice.name!r}, expected {NOTICE_TITLE!r}")
        self.shot("first-run-notice")
        self.x.focus(notice)
        self.x.key("Return")

        def main_alone():
            windows = self.windows()
            main = self.main_of(windows)
            return main if main and not self.splash_of(windows) and not self.dialog_of(windows) else None

        self.main = wait_for("the main window, with the splash and the notice gone", main_alone, 10)
        self.out_of_taskbar(self.main, "main")
        self.expect_caption(DESIGN_CAPTION, timeout=0)
        self.shot("main-window")
        # The downloader's library comes with the first download (step 2), not at start.
        if self.program.maps("libcurl"):
            raise Failure("libcurl is loaded before anything was downloaded")
        self.copy_from(self.main, SITE_BOX, MAIN_CLIENT[1], DEFAULT_SITE)

        # "Получить код" starts disabled, and a first run attaches no balloon tips: the site box
        # has no plain tooltip either, so nothing may show over it.
        self.x.click(*self.main_at(GET_CODE))
        self.x.move(*self.main_at(SITE_BOX))

        def nothing_new():
            windows = self.windows()
            if any(w.name == CODE_WINDOW_TITLE for w in windows):
                raise Failure("the disabled get-code button opened the code window")
            if self.tip_of(windows):
                raise Failure("a tip showed over the site box on a first run")

        hold(1.5, nothing_new, interval=0.1)

    # 2
    def type_and_look_up(self):
        self.x.focus(self.main)
        self.x.click(*self.main_at(SITE_BOX))  # selects the whole address
        self.x.key("BackSpace")
        self.expect_caption(PREFIX)
        for i in range(len(SITE)):
            self.x.type(SITE[i])
            self.expect_caption(PREFIX + SITE[:i + 1])
        self.shot("site-typed")

        self.x.click(*self.main_at(FIND_OUT))
        wait_for("four picture requests", lambda: self.program.alive() and len(self.server.seen()) >= 4, 30)
        seen = self.server.seen()
        got = [(r["host"], r["path"]) for r in seen]
        if got != LOOKUP_REQUESTS:
            raise Failure(f"the lookup asked for {got}, expected {LOOKUP_REQUESTS}")
        agents = {r["agent"] for r in seen}
        if agents != {AGENT}:
            raise Failure(f"user agents {sorted(map(str, agents))}, expected {AGENT!r}")

        last = [None]

        def pictures_shown():
            self.program.alive()
            last[0] = self.x.capture()
            return all(close(last[0].pixel(*self.main_at(spot)), colour, 8) for spot, colour in RESULT_SPOTS.values())

        try:
            wait_for("the four result pictures on screen", pictures_shown, 10, interval=0.2)
        except Failure:
            missing = [name for name, (spot, colour) in RESULT_SPOTS.items()
                       if not close(last[0].pixel(*self.main_at(spot)), colour, 8)]
            raise Failure("not shown: " + ", ".join(missing))
        screen = self.shot("lookup")
        if not self.program.maps("libcurl"):
            raise Failure("the pictures came without libcurl loaded: the start-up check above sees nothing")
        banner, background = screen.pixel(*self.main_at(BANNER_SPOT)), screen.pixel(*self.main_at(BACKGROUND_SPOT))
        if not close(banner, background, 16):
            raise Failure(f"the banner still shows after the lookup ({banner} where the background is {background})")

    # 3
    def hand_addresses(self):
        self.x.click(*self.main_at(HOUSE))
        wait_for("the house button's address", lambda: self.program.alive() and len(self.program.opened()) >= 1, 10)

        # Файл, then Right to the next menu, which opens with its first item active; one Down
        # skips the separator after "Валидаторы".
        self.x.click(self.main.x + 20, self.main.y + 7)
        first = wait_for("the Файл menu", lambda: self.popup(), 5)
        self.x.key("Right")
        wait_for("the second menu", lambda: (p := self.popup()) and p.x > first.x and p, 5)
        self.x.key("Down")
        self.shot("menu")
        self.x.key("Return")
        wait_for("the menu command's address", lambda: self.program.alive() and len(self.program.opened()) >= 2, 10)
        wait_for("the menu to close", lambda: not self.popup(), 5)
        self.menu_by_keys()
        opened = self.program.opened()
        expected = [[HOUSE_ADDRESS], [MENU_ADDRESS], [MENU_ADDRESS]]
        if opened != expected:
            raise Failure(f"the opener was given {opened}, expected {expected}")

    def menu_by_keys(self):
        """F10 and a lone Alt highlight the bar's first item with nothing open; the arrows go
        along the bar and open its menu, Enter chooses, Escape leaves."""
        self.x.focus(self.main)
        first_item = (self.main.x + 3, self.main.y + 3)  # beside the letters of "Файл"
        bar = self.x.capture().pixel(*first_item)

        def highlighted():
            self.program.alive()
            return not close(self.x.capture().pixel(*first_item), bar, 8)

        before = {w.id for w in self.windows()}

        def new_window():  # a menu opened by keys is not marked as a drop-down one
            return next((w for w in self.windows() if w.id not in before), None)

        for way in ["F10", "alt"]:
            self.x.key(way)
            wait_for(f"{way} to highlight the bar's first item", highlighted, 5, interval=0.1)
            if new_window():
                raise Failure(f"{way} opened a menu; it should only highlight the bar's first item")
            self.shot("menu-bar-" + way.lower())
            self.x.key("Escape")
            wait_for(f"Escape to leave the bar after {way}", lambda: not highlighted(), 5, interval=0.1)
        opened = len(self.program.opened())
        self.x.key("F10")
        wait_for("F10 to highlight the bar's first item", highlighted, 5, interval=0.1)
        self.x.key("Right")
        self.x.key("Down")  # opens "Информация о сайте" at "Валидаторы"
        menu = wait_for("the second menu, opened by keys", new_window, 5)
        self.x.key("Down")  # past the separator
        self.x.key("Return")
        wait_for("the address of the menu command chosen by keys",
                 lambda: self.program.alive() and len(self.program.opened()) > opened, 10)
        wait_for("the menu to close", lambda: all(w.id != menu.id for w in self.windows()), 5)

    def popup(self):
        return next((w for w in self.windows() if w.type in ("DROPDOWN_MENU", "POPUP_MENU")), None)

    # 4
    def get_code(self):
        self.x.click(*self.main_at(GET_CODE))
        code = self.window_named(CODE_WINDOW_TITLE)
        self.out_of_taskbar(code, "code")
        self.shot("code-window")
        # Each code ends in CR CR LF, which the box keeps and copies. Every click selects all
        # of it: a second click, and a double-click, too.
        boxes = [(CODE_BOX_1, CITATION_CODE + "\r\r\n"), (CODE_BOX_2, PAGERANK_CODE + "\r\r\n")]
        for box, text in boxes:
            self.copy_from(code, box, CODE_CLIENT[1], text)
        self.copy_from(code, CODE_BOX_1, CODE_CLIENT[1], boxes[0][1])
        self.copy_from(code, CODE_BOX_2, CODE_CLIENT[1], boxes[1][1], double=True)
        self.shot("code-window-clicked")

        # The sunflower hides the window with its codes and opens the userbar code window.
        self.x.click(*self.at(code, TO_USERBARS, CODE_CLIENT[1]))
        userbars = self.window_named(USERBAR_WINDOW_TITLE)
        self.out_of_taskbar(userbars, "userbar code")
        wait_for("the code window to hide", lambda: all(w.name != CODE_WINDOW_TITLE for w in self.windows()), 5)

        # Shown again by a second run, still out of the taskbar; all selected, both boxes now
        # hold the new codes alone.
        self.x.focus(self.main)
        self.x.click(*self.main_at(GET_CODE))
        code = self.window_named(CODE_WINDOW_TITLE)
        self.out_of_taskbar(code, "code window, shown again,")
        for box, text in boxes:
            self.copy_from(code, box, CODE_CLIENT[1], text)

    # 5
    def search(self):
        self.x.focus(self.main)
        self.x.click(*self.main_at(SEARCH_BUTTON))
        search = self.window_named(SEARCH_WINDOW_TITLE)
        self.out_of_taskbar(search, "search")
        opened = len(self.program.opened())
        box = self.at(search, ENGINE_BOX, SEARCH_CLIENT[1])
        ok = self.at(search, SEARCH_OK, SEARCH_CLIENT[1])
        list_height = self.engine_list_height(search, box)

        # Near misses of the labels "Google" and "Yahoo!": kept as typed, with Enter too, and
        # OK opens nothing for them.
        for typed in ["g", "Yahoo", "yahoo!"]:
            self.x.focus(search)
            self.x.click(*box)
            self.x.key("ctrl+a")
            self.x.type(typed)
            self.x.key("Return")
            self.expect_engine_box(search, box, typed)
            self.x.click(*ok)
            self.expect_nothing_opened(opened, f"OK with {typed!r} in the engine box", 0.7)
        self.shot("search-near-miss")
        if self.engine_list_height(search, box) != list_height:
            raise Failure("the engine list changed its length after Enter in the box")

        # The exact label searches.
        self.x.focus(search)
        self.x.click(*box)
        self.x.key("ctrl+a")
        self.x.type("Google")
        self.x.click(*ok)
        wait_for("the search address", lambda: self.program.alive() and len(self.program.opened()) > opened, 10)
        if self.program.opened()[opened:] != [[SEARCH_ADDRESS]]:
            raise Failure(f"OK with Google opened {self.program.opened()[opened:]}, expected {[[SEARCH_ADDRESS]]}")

    def expect_nothing_opened(self, since, what, duration):
        def check():
            self.program.alive()
            if len(self.program.opened()) > since:
                raise Failure(f"{what} opened {self.program.opened()[since:]}")

        hold(duration, check)

    def expect_engine_box(self, search, box, expected):
        self.x.set_clipboard(NOTHING_COPIED)
        self.x.focus(search)
        self.x.click(*box)
        self.x.key("ctrl+a")
        self.x.key("ctrl+c")
        got = wait_for("the engine box's text", lambda: (t := self.x.clipboard()) != NOTHING_COPIED and t, 3)
        if got != expected:
            raise Failure(f"the engine box holds {got!r} after typing {expected!r} and Enter")

    def engine_list_height(self, search, box):
        """The height of the engine box's open list (the window that comes with alt+Down), closed again."""
        self.x.focus(search)
        self.x.click(*box)
        before = {w.id for w in self.windows()}
        self.x.key("alt+Down")
        popup = wait_for("the engine list", lambda: next((w for w in self.windows() if w.id not in before), None), 5)
        self.x.key("Escape")
        wait_for("the engine list to close", lambda: all(w.id != popup.id for w in self.windows()), 5)
        return popup.height

    # 6
    def taps(self):
        """A press that comes with its move in one go, as a tap or a quick hand gives it, reaches
        the window under the pointer though a button of the main window still holds the hover."""
        self.x.focus(self.main)
        self.x.click(*self.main_at(SEARCH_BUTTON))
        search = self.window_named(SEARCH_WINDOW_TITLE)
        self.x.focus(search)  # the engine box still holds "Google"
        opened = len(self.program.opened())
        self.x.tap(*self.at(search, SEARCH_OK, SEARCH_CLIENT[1]))
        wait_for("the search that the tap on OK starts", lambda: self.program.alive() and len(self.program.opened()) > opened, 5)
        if self.program.opened()[opened:] != [[SEARCH_ADDRESS]]:
            raise Failure(f"the tap on OK opened {self.program.opened()[opened:]}, expected {[[SEARCH_ADDRESS]]}")

        self.x.focus(self.main)
        self.x.click(*self.main_at(SUNFLOWER))
        userbars = self.window_named(USERBAR_WINDOW_TITLE)
        self.x.focus(userbars)
        self.x.tap(*self.at(userbars, USERBAR_OPTION_3, USERBAR_CLIENT[1]))
        self.shot("userbar-option-tapped")
        got = self.copy_text(userbars, USERBAR_HTML_BOX, USERBAR_CLIENT[1])
        if USERBAR_3_PICTURE not in got:
            raise Failure(f"after the tap on the third option the HTML box holds {got!r}, without {USERBAR_3_PICTURE}")

    def copy_text(self, window, point, client_height):
        """What a click into a box that selects all of it, and a copy, give."""
        self.x.set_clipboard(NOTHING_COPIED)
        self.x.focus(window)
        self.x.click(*self.at(window, point, client_height))
        self.x.key("ctrl+c")
        try:
            return wait_for("the copied text", lambda: (t := self.x.clipboard()) != NOTHING_COPIED and t, 3)
        except Failure:
            raise Failure("the box copied nothing: it is empty")

    # 7
    def screenshot_click(self):
        self.x.focus(self.main)
        self.x.click(*self.main_at(SCREENSHOT_BUTTON))
        shot_window = self.window_named(SCREENSHOT_WINDOW_TITLE)
        # Its definition keeps it in the taskbar.
        if shot_window.type != "NORMAL" or "SKIP_TASKBAR" in shot_window.states:
            raise Failure(f"the screenshot window is {shot_window.type} with states {sorted(shot_window.states)}")
        spot = self.at(shot_window, SCREENSHOT_SPOT, SCREENSHOT_CLIENT[1])
        colour = PICTURES[("images.websnapr.com", "/")].colour
        wait_for("the screenshot", lambda: self.program.alive() and close(self.x.capture().pixel(*spot), colour, 8), 10)
        self.shot("screenshot-window")

        # Only a left click, pressed and released over the picture, opens the site.
        opened = len(self.program.opened())
        self.x.click(*spot, button=3)
        self.x.drag(spot, (shot_window.x + shot_window.width + 40, spot[1]))
        self.expect_nothing_opened(opened, "a right click or a drag off the screenshot", 1.0)
        self.x.click(*spot)
        wait_for("the site's address", lambda: self.program.alive() and len(self.program.opened()) > opened, 10)
        if self.program.opened()[opened:] != [[HOUSE_ADDRESS]]:
            raise Failure(f"the screenshot opened {self.program.opened()[opened:]}, expected {[[HOUSE_ADDRESS]]}")

    # 8
    def exit_button(self):
        self.x.click(*self.main_at(EXIT))
        status = self.program.wait_exit(15)
        if status != 0:
            raise Failure(f"the program ended with status {status}")
        wait_for("every window to go", lambda: not self.x.windows(), 5)
        self.shot("after-exit")
        self.expect_settings()

    def expect_settings(self):
        settings = self.program.settings()
        expected = {"Site": SITE, "Entry": FIRST_RUN_FLAG}
        if settings is None or {k: settings.get(k) for k in expected} != expected:
            raise Failure(f"stored settings {settings}, expected {expected}")

    # 9
    def second_start(self):
        self.x.move(1, 1)  # away from where the windows come
        self.program.start(2)

        def main_without_notice():
            windows = self.windows()
            if self.dialog_of(windows):
                raise Failure(f"a message box {self.dialog_of(windows).name!r} showed on the second start")
            main = self.main_of(windows)
            return main if main and not self.splash_of(windows) else None

        self.main = wait_for("the main window of the second start", main_without_notice, 20)
        self.expect_caption(PREFIX + SITE, timeout=0)
        self.shot("second-start")

        box = self.main_at(SITE_BOX)
        self.x.move(*box)
        tip = wait_for("a balloon tip over the site box", lambda: self.tip_of(self.windows()), 5)
        if not (abs(tip.x + tip.width / 2 - box[0]) < 300 and abs(tip.y + tip.height / 2 - box[1]) < 200):
            raise Failure(f"the tip shows at {tip.x},{tip.y}, far from the site box at {box}")
        self.shot("balloon-tip")

        self.copy_from(self.main, SITE_BOX, MAIN_CLIENT[1], SITE)
        self.x.click(*self.main_at(EXIT))
        status = self.program.wait_exit(15)
        if status != 0:
            raise Failure(f"the second run ended with status {status}")
        self.expect_settings()
        if len(self.server.seen()) != 5:
            raise Failure(f"{len(self.server.seen())} picture requests in all, expected the lookup's 4 and a screenshot")

    # 10
    def stalled_download(self):
        alive.stalled_lookup(self, alive.Layout(
            prefix=PREFIX, site=SITE, site_box=SITE_BOX, find_out=FIND_OUT, exit=EXIT, client=MAIN_CLIENT,
            requests=LOOKUP_REQUESTS, stalled=("2ip.ru", "/_res/script/image.php")))

    # 11
    def scaled_start(self):
        """At twice the scale the splash and the main window, which their definitions place
        partly past a 1024 x 768 screen, come onto it whole."""
        scale = 2
        self.x.move(1, 1)
        self.program.start(4, {"QT_SCALE_FACTOR": str(scale)})

        def of_width(width):
            return lambda: next((w for w in self.windows() if w.width == width), None)

        splash = wait_for("the splash at scale 2", of_width(scale * SPLASH_SIZE[0]), 20)
        self.expect_on_screen(splash, "splash")
        self.shot("splash-at-scale-2")
        main = wait_for("the main window at scale 2", of_width(scale * MAIN_CLIENT[0]), 20)
        self.expect_on_screen(main, "main")
        self.shot("main-window-at-scale-2")
        self.x.click(main.x + scale * EXIT[0], main.y + main.height - scale * (MAIN_CLIENT[1] - EXIT[1]))
        status = self.program.wait_exit(15)
        if status != 0:
            raise Failure(f"the run at scale 2 ended with status {status}")

    def expect_on_screen(self, window, title):
        width, height = self.x.size()
        if window.x < 0 or window.y < 0 or window.x + window.width > width or window.y + window.height > height:
            raise Failure(f"the {title} window at {window.width}x{window.height}+{window.x}+{window.y} "
                          f"is not all on the {width}x{height} screen")

    STEPS = [
        ("first start: splash, first-run notice, main window", first_start),
        ("typing updates the caption; Узнать fetches four pictures", type_and_look_up),
        ("the house button and a menu command hand their addresses over", hand_addresses),
        ("Получить код shows the code, and every click into a box selects it all", get_code),
        ("the search window keeps near misses as typed and searches the exact label", search),
        ("a tap reaches the window under it, though a main window button held the hover", taps),
        ("only a left click on the screenshot opens the site", screenshot_click),
        ("the exit button ends the program and keeps the settings", exit_button),
        ("second start: no notice, balloon tips, the site restored", second_start),
        ("under a window manager, a stalled download keeps the window alive and its input waiting", stalled_download),
        ("at scale 2 the splash and the main window come onto the screen", scaled_start),
    ]


# ---- set-up

def private_network(hosts_path):
    """Inside fresh namespaces: loopback up, the services' names on it."""
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    with open(hosts_path, "w") as f:
        f.write("127.0.0.1 localhost\n::1 localhost\n")
        for host in SERVICE_HOSTS:
            f.write(f"127.0.0.1 {host}\n")
    subprocess.run(["mount", "--bind", hosts_path, "/etc/hosts"], check=True)
    for host in SERVICE_HOSTS:
        if socket.gethostbyname(host) != "127.0.0.1":
            raise Failure(f"{host} does not resolve to 127.0.0.1 inside the namespace")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--artifacts", required=True)
    parser.add_argument("--network", choices=["namespace", "proxy"], required=True)
    args = parser.parse_args()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))

    started = time.monotonic()
    server = display = program = None
    passed = 0
    status = 1
    try:
        if args.network == "namespace":
            private_network(os.path.join(args.work, "hosts"))
            server = PictureServer(("127.0.0.1", 80), os.path.join(args.artifacts, "requests.jsonl"), PICTURES)
            proxy = None
        else:
            server = PictureServer(("127.0.0.1", 0), os.path.join(args.artifacts, "requests.jsonl"), PICTURES)
            proxy = f"http://127.0.0.1:{server.port}"
        log(f"e2e: network by {args.network}" + (f" ({proxy})" if proxy else ""))
        display = Display(args.work, args.artifacts)
        display.start()
        program = Program(args.program, args.work, args.artifacts, display, proxy)
        scenario = Scenario(display, program, server)
        for number, (title, step) in enumerate(Scenario.STEPS, 1):
            t0 = time.monotonic()
            step(scenario)
            passed += 1
            log(f"e2e: step {number} ok ({time.monotonic() - t0:.1f} s): {title}")
        status = 0
    except Exception as failure:
        if not isinstance(failure, Failure):
            traceback.print_exc()
        number = passed + 1
        log(f"e2e: step {number} FAILED: {Scenario.STEPS[passed][0] if passed < len(Scenario.STEPS) else ''}")
        log(f"e2e:   {failure}")
        if display and display.env:
            try:
                display.screenshot("failed")
                log("e2e:   screen at the failure: failed.png; windows: "
                    + "; ".join(f"{w.name!r} {w.type} {w.width}x{w.height}+{w.x}+{w.y}" for w in display.windows()))
            except Exception as e:  # the failure report itself must not hide the failure
                log(f"e2e:   no screenshot: {e}")
    finally:
        if program:
            program.stop()
        report = program.sanitizer_report() if program else None
        if program:
            if os.path.exists(program.registry):
                shutil.copy(program.registry, os.path.join(args.artifacts, "registry.reg"))
        if display:
            display.stop()
        if server:
            server.stop()
    failed = 0 if status == 0 else 1
    if report:
        log(f"e2e: sanitizer report in the program's output: {report}")
        if status == 0:
            passed, failed, status = passed - 1, 1, 1
    skipped = len(Scenario.STEPS) - passed - failed
    log(f"e2e: artifacts in {args.artifacts}; {time.monotonic() - started:.1f} s")
    log(f"e2e steps: {passed} passed, {failed} failed, {skipped} skipped")
    return status


if __name__ == "__main__":
    sys.exit(main())
