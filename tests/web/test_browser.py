"""The browser build played in real browsers: a core set of checks in each
of Chromium, Firefox ESR and WebKitGTK (CoreChecks), and the rest in
headless Chromium (SwiftShader WebGL).

Usage: test_browser.py SITE_DIR [BUILD_DIR]   (the output of tools/build-web;
the desktop build, default build/, for the frames compared with it)

One page load serves the basic cases, in order: the start-up lines, the
first picture, walking, turning, and Escape last. Then each of the others
loads the page afresh: the fall through the floor's box against the
desktop, tabs and keys with the browser's throttling on, the page opened
from disk, a first move of the mouse on a fresh page, a phone-sized touch
screen held either way round, and the site as a web app played offline. Pictures are canvas captures
taken at frame boundaries; only the fall's pace is measured in time.
"""
import glob
import hashlib
import os
import re
import shutil
import sys
import tempfile
import time
import unittest

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser import CONSOLE_RECORDER, Browser, Site, desktop_frames, engine_missing, save_data_url  # noqa: E402

SITE = None
BUILD = None
SKY = (0.3 * 255, 0.5 * 255, 0.7 * 255)  # the clear colour
STARTUP_LINES = ["Engine initialized", "Started Game and initialized world", "Input initialized", "Fog activated",
                 "Lighting activated", "Entities loaded", "Timer Initialized", "Keystep entered",
                 "Entering gameloop"]
# Regions of the 640x480 canvas: x0, y0, x1, y1.
LOGO = [0, 0, 256, 64]
SKY_CORNER = [400, 10, 630, 60]
CROSSHAIR = [312, 232, 328, 248]
FLOOR = [0, 400, 640, 480]
LOGO_GONE = 100  # the fade ends at frame 85


def near(colour, target, tolerance):
    return all(abs(c - t) <= tolerance for c, t in zip(colour, target))


# Walking backward off the +z edge: s from frame 60 to 190; the player then
# falls through the floor's box. Keys go in at frame boundaries, in the page
# and on the desktop alike.
FALL_PAGE_KEYS = {60: [["keydown", "KeyS"]], 190: [["keyup", "KeyS"]]}
FALL_DESKTOP_KEYS = [(60, 115, True), (190, 115, False)]
RECORD_JS = """
window.vaskel.script = arguments[0];
window.rafs = [];
window.indices = {};
const frame = Module.vaskelFrame;
Module.vaskelFrame = function (frames, calls, builds, indices, inside) {
  window.indices[frames] = indices;
  frame.apply(this, arguments);
};
(function tick() { window.rafs.push([performance.now(), window.vaskel.frames]); requestAnimationFrame(tick); })();
return window.vaskel.frames;
"""


def per_second(rafs, first_frame, last_frame):
    """Pictures in each whole second from the first picture at first_frame
    to the last at last_frame."""
    times = [t for t, f in rafs if first_frame <= f <= last_frame]
    counts = []
    start = times[0]
    while start + 1000 <= times[-1]:
        counts.append(sum(1 for t in times if start <= t < start + 1000))
        start += 1000
    return counts


def held(b, key):
    """Pressing and releasing a key, for moves_while_held."""
    return (lambda: b.key(key, True), lambda: b.key(key, False))


def moves_while_held(b, before, press, release):
    """How much of the view differs from `before` while an input is held: the
    most over the eight frames from the third after the press. A walk of 8
    frames (2 units) brings back the same checkerboard, so one or two of
    them may show the starting picture; a loaded page that takes the press
    a few frames late still walks in the others."""
    press()
    start = b.state()["frames"]
    shots = b.capture_many(list(range(start + 3, start + 11)))
    release()
    return max(b.difference(before, s["url"], 48)["off"] for s in shots.values())


def turned(b, moves, from_centre=True):
    """The view at rest after pointer moves, once it has changed from the
    one before them (or 60 frames passed): a loaded page takes the moves
    some frames after they were sent."""
    before = b.still()
    b.mouse_moves(moves, from_centre)
    url, at = b.capture()
    end = at + 60
    while at < end and b.difference(before, url)["off"] <= 0.05:
        url, at = b.capture(at + 1)
    return b.still(at)


class OnePage:
    """One page load for the whole class."""

    @classmethod
    def setUpClass(cls):
        cls.site = Site(SITE)
        cls.browser = Browser(cls.site.url)

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        cls.site.close()

    def still_picture(self):
        """The settled view, after the logo is gone."""
        return self.browser.still(LOGO_GONE)

    def moved(self, before, after):
        diff = self.browser.difference(before, after, 48)
        return diff["off"]


class BrowserGame(OnePage, unittest.TestCase):
    def test_1_startup_lines_in_console(self):
        self.browser.wait_frames(1)
        lines = [m for m in self.browser.console() if any('"%s"' % s in m for s in STARTUP_LINES)]
        got = [s for m in lines for s in STARTUP_LINES if m.endswith('"%s"' % s)]
        self.assertEqual(STARTUP_LINES, got)

    def test_2_start_picture(self):
        b = self.browser
        early, at = b.capture(3)
        self.assertLess(at, 60, "the logo is still at full strength")
        logo, sky, cross, floor = b.regions(early, [LOGO, SKY_CORNER, CROSSHAIR, FLOOR])
        self.assertTrue(near(sky["mean"], SKY, 6), "sky %s" % sky)
        self.assertLess(sky["spread"], 10)
        self.assertGreater(logo["spread"], 200, "no logo: %s" % logo)
        self.assertGreater(cross["spread"], 200, "no crosshair: %s" % cross)
        self.assertFalse(near(floor["mean"], SKY, 30), "no floor: %s" % floor)
        self.assertGreater(floor["spread"], 60, "the floor has no checkerboard: %s" % floor)

        later = self.still_picture()
        logo_after, floor_after = b.regions(later, [LOGO, FLOOR])
        self.assertLess(logo_after["spread"], 10, "the logo has not faded: %s" % logo_after)
        self.assertTrue(near(logo_after["mean"], SKY, 6))
        self.assertGreater(floor_after["spread"], 60)

    def test_3_holding_w_walks(self):
        b = self.browser
        self.assertGreater(moves_while_held(b, self.still_picture(), *held(b, "w")), 0.05,
                           "holding w did not move the view")
        # AZERTY: the W place types z, and walks.
        send = lambda kind: b.driver.execute_cdp_cmd("Input.dispatchKeyEvent", {"type": kind, "code": "KeyW", "key": "z"})
        self.assertGreater(moves_while_held(b, self.still_picture(), lambda: send("keyDown"), lambda: send("keyUp")),
                           0.05, "the key in the W place did not walk where it types z")

    def test_4_mouse_turns(self):
        b = self.browser
        canvas = b.driver.find_element(By.ID, "canvas")
        before = self.still_picture()
        chain = ActionChains(b.driver).move_to_element_with_offset(canvas, -200, 0)
        for _ in range(6):
            chain = chain.move_by_offset(40, 0)
        chain.perform()
        after = self.still_picture()
        self.assertGreater(self.moved(before, after), 0.05, "moving the mouse did not turn the view")

    def test_5_escape_ends(self):
        b = self.browser
        b.wait_frames(b.state()["frames"] + 2)
        ActionChains(b.driver).send_keys("\ue00c").perform()  # Escape
        b.wait("the end of the game", lambda: b.state()["ended"], 60)
        state = b.state()
        self.assertEqual(0, state["exitStatus"])
        self.assertIn("has ended", state["status"])
        self.assertIn("Reload", state["status"])
        frames = state["frames"]
        b.driver.execute_script("return new Promise(r => setTimeout(r, 1000));")
        self.assertEqual(frames, b.state()["frames"], "frames go on after Escape")
        logs = b.driver.find_element(By.ID, "logs-link")
        logs.click()
        text = b.driver.find_element(By.ID, "logs").text
        self.assertIn("Engine destroyed. Exiting.", text)
        self.assertIn("VK_TEXTURE: Attempting to load Texture ./textures/stone.bmp", text)


class FallThroughTheFloor(unittest.TestCase):
    def test_draws_no_more_than_walking_and_shows_the_desktops_frames(self):
        site = Site(SITE)
        try:
            b = Browser(site.url)
            try:
                self.assertLess(b.driver.execute_script(RECORD_JS, FALL_PAGE_KEYS), 60, "keys scripted too late")
                b.wait_frames(300, 300)
                inside = b.driver.execute_script("return window.vaskel.inside")
                rafs = b.driver.execute_script("return window.rafs")
                indices = b.driver.execute_script("return window.indices")
            finally:
                b.close()
            self.assertGreaterEqual(len(inside), 3, "the eye never went into the floor's box")
            # The stall this guards against was work, not time: with the eye
            # in the floor's box every quad was drawn. Pictures per second
            # depend on the machine's load, so they are only reported.
            work = {int(f): n for f, n in indices.items()}
            normal = max(work[f] for f in range(100, 190))
            fall = {f: work[f] for f in range(190, inside[-1] + 60)}
            sys.stderr.write("fall: eye inside the floor's box in frames %s, %s indices there (walking: %d); "
                             "pictures per second %s\n" % (inside, sorted({work[f] for f in inside}), normal,
                                                           per_second(rafs, 190, inside[-1] + 60)))
            self.assertLessEqual(max(fall.values()), normal * 1.05, "a frame of the fall draws more than walking")
            self.assertLessEqual(max(work[f] for f in inside), normal // 10)

            b = Browser(site.url)
            try:
                b.driver.execute_script(RECORD_JS, FALL_PAGE_KEYS)
                shots = b.capture_many(inside, 300)
                with tempfile.TemporaryDirectory(prefix="vaskel-desktop-") as tmp:
                    desktop = desktop_frames(BUILD, inside, FALL_DESKTOP_KEYS, tmp)
                for f in inside:
                    self.assertEqual(f, shots[f]["at"])
                    diff = b.difference(shots[f]["url"], desktop[f], 48)
                    if os.environ.get("VASKEL_KEEP"):
                        save_data_url(shots[f]["url"], os.path.join(os.environ["VASKEL_KEEP"], "browser-%d.png" % f))
                        save_data_url(desktop[f], os.path.join(os.environ["VASKEL_KEEP"], "desktop-%d.png" % f))
                    self.assertTrue(diff["mean"] <= 8 and diff["off"] <= 0.05,
                                    "frame %d differs from the desktop's: %s" % (f, diff))
            finally:
                b.close()
        finally:
            site.close()


class TabsAndKeys(unittest.TestCase):
    """With the throttling a user's browser applies to hidden pages."""

    def test_hidden_tab_releases_keys_and_stops_the_clock(self):
        site = Site(SITE)
        b = Browser(site.url, throttled=True)
        try:
            d = b.driver
            game = d.current_window_handle
            b.wait_frames(100)
            ActionChains(d).key_down("w").perform()
            b.wait_frames(b.state()["frames"] + 3)
            clock = "return Object.assign({frames: window.vaskel.frames}, window.vaskel.clock);"
            before = d.execute_script(clock)
            d.switch_to.new_window("tab")
            ActionChains(d).key_up("w").perform()  # heard by the other tab only
            time.sleep(5)
            d.switch_to.window(game)
            start = b.state()["frames"]
            first, at = b.capture(start + 1)
            second, _ = b.capture(at + 3)
            self.assertEqual(0, b.difference(first, second, 0)["off"], "w is still held after the tab came back")
            # The game's schedule is never re-based: a clock that ran on while
            # hidden would be caught up in a burst of frames. Both clocks are
            # read at a frame, so the measure holds at any pace.
            after = d.execute_script(clock)
            stood = (after["wall"] - before["wall"]) - (after["ticks"] - before["ticks"])
            self.assertGreater(stood, 2500, "the game's clock ran on through a 5 s absence: stood %d ms" % stood)
            # Shown on the display's frames, still never more than one game
            # frame per 30 ms of its clock.
            frames, ticks = after["frames"] - before["frames"], after["ticks"] - before["ticks"]
            self.assertLessEqual(frames, ticks // 30 + 1, "%d frames in %d ms of the game's clock" % (frames, ticks))

            prevented = d.execute_script("""
                return arguments[0].map(([code, mods]) => !window.dispatchEvent(new KeyboardEvent('keydown',
                    Object.assign({code: code, cancelable: true}, mods))));""",
                [["F5", {}], ["KeyR", {"ctrlKey": True}], ["KeyW", {"ctrlKey": True}], ["F11", {}], ["F12", {}],
                 ["Tab", {}], ["KeyD", {"altKey": True}], ["KeyW", {}], ["Space", {}]])
            self.assertEqual([False] * 7 + [True, True], prevented)
        finally:
            b.close()
            site.close()


class PageOpenedFromDisk(unittest.TestCase):
    def test_says_to_serve_it(self):
        b = Browser("file://" + os.path.join(SITE, "index.html"))
        try:
            text = b.wait("the page's advice", lambda: b.driver.find_element(By.ID, "status").text)
            self.assertIn("served over HTTP", text)
            self.assertIn("tools/run-web", text)
        finally:
            b.close()


def phone(driver, width=390, height=844):
    portrait = height > width
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": width, "height": height, "deviceScaleFactor": 3, "mobile": True,
        "screenOrientation": {"type": "portraitPrimary" if portrait else "landscapePrimary",
                              "angle": 0 if portrait else 90}})
    driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})


def keep_screenshot(driver, name):
    if os.environ.get("VASKEL_KEEP"):
        driver.save_screenshot(os.path.join(os.environ["VASKEL_KEEP"], name))


class FreshPagePointer(unittest.TestCase):
    """Before a click captures the mouse, a fresh page's first move turns the view its own way."""

    def test_first_move_left_turns_and_first_move_up_looks_up(self):
        sky = lambda c: sum(abs(a - b) for a, b in zip(c, SKY))
        for dx, dy in [(-8, 0), (0, -8)]:
            site = Site(SITE)
            b = Browser(site.url)
            try:
                before = b.still(LOGO_GONE)
                chain = ActionChains(b.driver).move_to_element(b.driver.find_element(By.ID, "canvas"))
                for _ in range(12):
                    chain = chain.move_by_offset(dx, dy)
                chain.perform()
                after = b.still()
                self.assertGreater(b.difference(before, after)["off"], 0.05, "a first move by %d, %d did not turn" % (dx, dy))
                if dy:
                    below, above = (b.regions(url, [[0, 250, 640, 330]])[0]["mean"] for url in (before, after))
                    self.assertLess(sky(above), sky(below), "no more sky under the horizon: the view did not look up")
            finally:
                b.close()
                site.close()


class PhoneTouchScreen(OnePage, unittest.TestCase):
    """390x844 with touch: the view fits, the right half looks, the left walks."""

    @classmethod
    def setUpClass(cls):
        cls.site = Site(SITE)
        cls.browser = Browser(cls.site.url, before_load=phone)

    def touch(self, kind, x, y):
        self.browser.driver.execute_cdp_cmd("Input.dispatchTouchEvent", {
            "type": kind, "touchPoints": [] if kind == "touchEnd" else [{"x": x, "y": y}]})

    def canvas_box(self):
        return self.browser.driver.execute_script(
            "const r = document.getElementById('canvas').getBoundingClientRect(); return [r.x, r.y, r.width, r.height];")

    def test_1_fits_and_explains_touch(self):
        b = self.browser
        b.wait_frames(1)
        box = b.driver.execute_script("""const r = document.getElementById('canvas').getBoundingClientRect();
            return [r.width, r.height, innerWidth, document.documentElement.scrollWidth];""")
        width, height, inner, scroll = box
        self.assertTrue(inner - 40 <= width <= inner, "view %s wide in %s" % (width, inner))
        self.assertAlmostEqual(width * 3 / 4, height, delta=2)
        self.assertLessEqual(scroll, inner, "a horizontal scrollbar")
        self.assertIn("touch", b.driver.find_element(By.ID, "controls").text)

    def test_2_first_drag_to_the_left_turns(self):
        x, y, w, h = self.canvas_box()
        before = self.still_picture()
        self.touch("touchStart", x + 0.8 * w, y + h / 2)
        for step in range(1, 13):
            self.touch("touchMove", x + 0.8 * w - 6 * step, y + h / 2)
        self.touch("touchEnd", 0, 0)
        self.assertGreater(self.moved(before, self.still_picture()), 0.05, "a first drag to the left did not turn")

    def test_3_drag_right_turns_and_push_left_walks(self):
        b = self.browser
        x, y, w, h = self.canvas_box()
        before = self.still_picture()
        self.touch("touchStart", x + 0.7 * w, y + h / 2)
        for step in range(1, 7):
            self.touch("touchMove", x + 0.7 * w + 10 * step, y + h / 2)
        self.touch("touchEnd", 0, 0)
        self.assertGreater(self.moved(before, self.still_picture()), 0.05, "a drag on the right did not turn")

        push = (lambda: (self.touch("touchStart", x + 0.25 * w, y + h / 2),
                         self.touch("touchMove", x + 0.25 * w, y + h / 2 - 40)),
                lambda: self.touch("touchEnd", 0, 0))
        self.assertGreater(moves_while_held(b, self.still_picture(), *push), 0.05, "a push on the left did not walk")

    def test_4_a_blur_or_a_cancelled_touch_lets_go(self):
        b = self.browser
        x, y, w, h = self.canvas_box()
        left, middle = x + 0.25 * w, y + h / 2

        def push_blur_push():
            self.touch("touchStart", left, middle)
            self.touch("touchMove", left, middle - 40)
            b.driver.execute_script("window.dispatchEvent(new FocusEvent('blur'));")  # the game lets go of w
            self.touch("touchMove", left, middle - 44)
        lift = lambda: self.touch("touchEnd", 0, 0)
        self.assertGreater(moves_while_held(b, self.still_picture(), push_blur_push, lift), 0.05,
                           "after a blur, pushing on did not walk again")
        ups = b.driver.execute_script("""const ups = [], jump = document.getElementById('jump');
            addEventListener('keyup', (e) => ups.push(e.code));
            for (const type of ['touchstart', 'touchcancel'])
                jump.dispatchEvent(new TouchEvent(type, {bubbles: true, cancelable: true}));
            return ups;""")
        self.assertEqual(["Space"], ups, "a cancelled touch on Jump left Space held")


# Where the view, the Jump button and the page lie, in CSS pixels.
LAYOUT_JS = """const r = (id) => { const b = document.getElementById(id).getBoundingClientRect();
                                 return [b.left, b.top, b.right, b.bottom]; };
return {view: r('canvas'), jump: r('jump'), end: r('end'), inner: [innerWidth, innerHeight],
        scroll: [document.documentElement.scrollWidth, document.documentElement.scrollHeight]};"""


class PhoneHeldSideways(unittest.TestCase):
    """844x390 with touch, turned to 390x844 and back mid-game: the view fits each time."""

    @staticmethod
    def fits(b, width, height):
        at = b.driver.execute_script(LAYOUT_JS)
        left, top, right, bottom = at["view"]
        return at["inner"] == [width, height] and left >= -1 and top >= -1 and right <= width + 1 and \
            bottom <= height + 1 and at["scroll"][0] <= width and at

    def test_view_fits_either_way_round(self):
        site = Site(SITE)
        b = Browser(site.url, before_load=lambda d: phone(d, 844, 390))
        try:
            b.wait_frames(1)
            for width, height in [(844, 390), (390, 844), (844, 390)]:
                phone(b.driver, width, height)
                at = b.wait("the view fitted to %dx%d" % (width, height), lambda: self.fits(b, width, height), 30)
                left, top, right, bottom = at["view"]
                self.assertAlmostEqual((right - left) * 3 / 4, bottom - top, delta=2)
                if width > height:
                    self.assertAlmostEqual(height, bottom - top, delta=2, msg="the view is not as tall as the screen")
                    self.assertLessEqual(at["scroll"][1], height, "the page scrolls")
                else:
                    self.assertGreaterEqual(right - left, width - 40, "the view is not as wide as the screen")
                for button in ("jump", "end"):
                    bl, bt, br, bb = at[button]
                    self.assertTrue(left <= bl and br <= right and top <= bt and bb <= bottom,
                                    "%s is off the view at %dx%d: %s" % (button, width, height, at))
            floor = b.regions(b.still(LOGO_GONE), [FLOOR])[0]
            self.assertGreater(floor["spread"], 60, "no floor in the view: %s" % floor)
            keep_screenshot(b.driver, "phone-landscape.png")
        finally:
            b.close()
            site.close()


def game_file(root, kind):
    """The name of the site's game file of a kind: "js", "wasm" or "data"."""
    return os.path.basename(glob.glob(os.path.join(root, "vaskel.*." + kind))[0])


def rebuild(root):
    """What tools/build-web makes of another version, whose glue and wasm
    differ: each under its new digest's name in place of the old."""
    texts = {}
    for name in ("index.html", "sw.js"):
        with open(os.path.join(root, name), "rb") as f:
            texts[name] = f.read()
    for kind, added in (("js", b"\n// rebuilt\n"), ("wasm", b"\x00\x08\x07rebuilt")):  # wasm: a custom section
        old = os.path.join(root, game_file(root, kind))
        with open(old, "ab") as f:
            f.write(added)
        with open(old, "rb") as f:
            data = f.read()
        old_d, new_d = (hashlib.sha256(d).hexdigest() for d in (data[:-len(added)], data))
        os.rename(old, os.path.join(root, "vaskel.%s.%s" % (new_d[:16], kind)))
        for name in texts:  # the worker's digests, then the names
            texts[name] = texts[name].replace(old_d.encode(), new_d.encode()).replace(
                old_d[:16].encode(), new_d[:16].encode())
    texts["index.html"] = re.sub(rb"vaskel [0-9.]+:", b"vaskel 9.9.9:", texts["index.html"], count=1)
    texts["sw.js"] = re.sub(rb"BUILD = '[^']*'", b"BUILD = 'vaskel-9.9.9-rebuilt'", texts["sw.js"], count=1)
    for name, text in texts.items():
        with open(os.path.join(root, name), "wb") as f:
            f.write(text)


class InstalledWebApp(unittest.TestCase):
    """The site as a web app: installable, playing offline once opened, and
    replaced by a rebuilt site on the next load; from a host that redirects
    index.html to its folder, offline from both addresses."""

    def test_installable_offline_and_never_stale(self):
        with tempfile.TemporaryDirectory(prefix="vaskel-site-") as tmp:
            root = os.path.join(tmp, "site")
            shutil.copytree(SITE, root)
            site = Site(root)
            site.moved["/index.html"] = "./"
            b = Browser(site.url)
            d = b.driver
            try:
                b.wait_frames(1)
                self.assertEqual([], d.execute_cdp_cmd("Page.getInstallabilityErrors", {})["installabilityErrors"])
                b.wait("the service worker in control", lambda: d.execute_script(
                    "return !!navigator.serviceWorker.controller"), 60)

                # Another build, whose wasm is slow to come: the page runs its own.
                rebuild(root)
                new = [game_file(root, kind) for kind in ("js", "wasm")]
                site.slow["/" + new[1]] = 5
                d.refresh()
                b.wait("the rebuilt page", lambda: "9.9.9" in d.find_element(By.TAG_NAME, "h1").text, 60)
                b.wait_frames(1)
                got = d.execute_script("return performance.getEntriesByType('resource').map("
                                       "e => [e.name.split('/').pop(), e.decodedBodySize]);")
                self.assertEqual({n: os.path.getsize(os.path.join(root, n)) for n in new},
                                 {n: size for n, size in got if n.endswith((".js", ".wasm")) and n != "sw.js"},
                                 "one page load mixed two builds")
                kept = lambda: d.execute_async_script("caches.keys().then(arguments[0])")
                try:
                    b.wait("the kept files replaced", lambda: kept() == ["vaskel-9.9.9-rebuilt " + site.url], 120)
                except AssertionError:
                    self.fail("the kept files are %s" % kept())

                site.close()
                d.execute_cdp_cmd("Network.enable", {})
                d.execute_cdp_cmd("Network.emulateNetworkConditions", {
                    "offline": True, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})
                for address in ("", "index.html"):  # the manifest's start is the second
                    d.get(site.url + address)
                    b.wait_frames(LOGO_GONE)
                    self.assertIn("9.9.9", d.find_element(By.TAG_NAME, "h1").text)
                    self.assertGreater(moves_while_held(b, b.still(LOGO_GONE), *held(b, "w")), 0.05,
                                       "offline from /%s, holding w did not walk" % address)
                keep_screenshot(d, "web-app-offline.png")
            finally:
                b.close()
                site.close()


def note_skip(test, check, why):
    """Names a check an engine cannot do, in the run's list of skipped checks."""
    if os.environ.get("VASKEL_SKIP_LOG"):
        with open(os.environ["VASKEL_SKIP_LOG"], "a") as f:
            f.write("browser %s in %s: %s\n" % (check, test.ENGINE, why))
    sys.stderr.write("skipped: browser %s in %s: %s\n" % (check, test.ENGINE, why))
    return why


# A browser without WebGL at all (WebKit with WebGL off, Lockdown Mode), and
# one that grants the page's own check but refuses the game its context.
NO_WEBGL = ("<script>delete window.WebGL2RenderingContext; delete window.WebGLRenderingContext;"
            "HTMLCanvasElement.prototype.getContext = function () { return null; };</script>")
REFUSED_CONTEXT = ("<script>(function () { var get = HTMLCanvasElement.prototype.getContext, n = 0;"
                   "HTMLCanvasElement.prototype.getContext = function (type) {"
                   "  return /webgl/.test(type) && n++ > 0 ? null : get.apply(this, arguments); }; })();</script>")
UNCAUGHT = "<script>addEventListener('load', () => setTimeout(() => { throw new Error('a fault nothing caught'); }));</script>"
# A press that holds the page as a busy machine does: the click, and in
# Firefox the focus, come before the answer to the press's pointer lock.
SLOW_PRESS = ("<script>document.addEventListener('mousedown', function () {"
              " var t = performance.now(); while (performance.now() - t < 400); });</script>")
# A host's own line in every page it serves, and a browser without service workers.
HOST_ADDED = "<script>window.host = 'added by the host';</script>"
NO_WORKER = "<script>delete Navigator.prototype.serviceWorker;</script>"
# A machine that draws a frame in less than the game's 30 ms, as players'
# do: the game's clock runs at a quarter of the page's, so it always waits
# for the display.
FAST_MACHINE = ("<script>(function () { var now = performance.now.bind(performance);"
                " performance.now = function () { return now() / 4; }; })();</script>")
# An iPhone: no full screen for a page's elements.
NO_ELEMENT_FULLSCREEN = ("<script>delete Element.prototype.requestFullscreen;"
                         "delete Element.prototype.webkitRequestFullscreen;</script>")


class CoreChecks:
    """What every engine must do: start, walk, turn both ways, capture the
    pointer on the first click, end on Escape, survive a lost context, say
    why it cannot run, play offline and on a hanging network, and fit an
    iPhone held sideways."""

    ENGINE = None

    def setUp(self):
        why = engine_missing(self.ENGINE)
        if why:
            self.fail(why)
        self.sites = []
        self.browsers = []

    def tearDown(self):
        for b in self.browsers:
            b.close()
        for site in self.sites:
            site.close()

    def open(self, root=None, head="", size=(900, 900), **serve):
        """The page in this engine; serve: the Site's status and before."""
        site = Site(root or SITE, CONSOLE_RECORDER + head if self.ENGINE == "webkit" else head)
        for what, paths in serve.items():
            getattr(site, what).update(paths)
        self.sites.append(site)
        b = Browser(site.url, engine=self.ENGINE, size=size)
        self.browsers.append(b)
        return b, site

    def keep(self, b, name):
        if os.environ.get("VASKEL_KEEP"):
            b.driver.save_screenshot(os.path.join(os.environ["VASKEL_KEEP"], "%s-%s.png" % (name, self.ENGINE)))

    def test_play_turn_capture_and_escape(self):
        b, _ = self.open(head=SLOW_PRESS + FAST_MACHINE)
        b.wait("Running.", lambda: b.text("status") == "Running.", 180)
        lines = b.console()
        self.assertEqual(STARTUP_LINES, [s for m in lines for s in STARTUP_LINES if m.rstrip('"').endswith(s)])
        start = b.still(LOGO_GONE)
        sky, floor = b.regions(start, [SKY_CORNER, FLOOR])
        self.assertTrue(near(sky["mean"], SKY, 6), "sky %s" % sky)
        self.assertGreater(floor["spread"], 60, "no floor: %s" % floor)
        self.assertGreater(moves_while_held(b, start, *held(b, "w")), 0.05, "holding w did not walk")

        b.mouse_moves([])
        before = b.still()
        left = turned(b, [(-40, 0)] * 6, from_centre=False)
        right = turned(b, [(40, 0)] * 12, from_centre=False)  # twice as many frames the other way
        for a, c, what in [(before, left, "a move left"), (before, right, "a move right"), (left, right, "left/right")]:
            self.assertGreater(b.difference(a, c)["off"], 0.05, "%s did not turn the view" % what)

        locked = "return document.pointerLockElement === document.getElementById('canvas');"
        if not b.driver.execute_script("return 'requestPointerLock' in document.getElementById('canvas');"):
            note_skip(self, "pointer capture", "no pointer lock in this engine")
        else:
            b.click_canvas()
            b.wait("the pointer captured by the first click", lambda: b.driver.execute_script(locked), 120)
            b.driver.execute_script("document.exitPointerLock();")
            b.wait("the pointer released", lambda: not b.driver.execute_script(locked), 120)

        b.complaints()
        b.key("Escape", True)
        b.key("Escape", False)
        b.wait("the end of the game", lambda: b.state()["ended"], 120)
        self.assertEqual(0, b.state()["exitStatus"])
        self.assertIn("has ended", b.text("status"))
        b.driver.execute_async_script("setTimeout(arguments[0], 500);")  # for what the unwinding leaves
        self.assertEqual([], b.complaints(), "the game's own end logged")

    def test_lost_context_comes_back_where_it_was(self):
        b, _ = self.open()
        moves_while_held(b, b.still(LOGO_GONE), *held(b, "w"))
        before = turned(b, [(-40, 0)] * 8)
        lose = ("window.lost = document.getElementById('canvas').getContext('webgl2')"
                ".getExtension('WEBGL_lose_context'); if (window.lost) window.lost.loseContext(); return !!window.lost;")
        if not b.driver.execute_script(lose):
            self.skipTest(note_skip(self, "lost context", "no WEBGL_lose_context"))
        b.wait("the page to say the graphics are gone", lambda: "taken back" in b.text("status"), 120)
        b.driver.execute_script("window.lost.restoreContext();")
        b.wait("the game going on", lambda: b.text("status") == "Running.", 120)
        after = b.still(b.state()["frames"] + 3)
        self.keep(b, "context-restored")
        self.assertLess(b.difference(before, after)["off"], 0.01, "the view after the restore is not the one before")
        self.assertGreater(b.regions(after, [FLOOR])[0]["spread"], 60, "no floor after the restore")
        self.assertGreater(moves_while_held(b, after, *held(b, "w")), 0.05, "holding w did not walk after the restore")

    def test_says_why_it_cannot_run(self):
        b, _ = self.open(head=NO_WEBGL)
        text = b.wait("the page's reason", lambda: "WebGL 2" in b.text("status") and b.text("status"), 120)
        self.assertIn("Try:", text)
        self.keep(b, "no-webgl")
        b, _ = self.open(head=REFUSED_CONTEXT)
        b.wait("the end of the game", lambda: b.state() and b.state()["ended"], 120)
        self.assertEqual(-1, b.state()["exitStatus"])
        text = b.text("status")
        self.assertIn("could not open its view", text)
        self.assertIn("Failed to set the video mode", text, "no log lines under the message")
        # The page's own fault leaves the game playing; a fault of the game's code stops it.
        b, _ = self.open(head=UNCAUGHT)
        b.wait_frames(LOGO_GONE)
        self.assertEqual("Running.", b.text("status"))
        b.driver.execute_script("setTimeout(function () { Module.FS.readFile('/no-such-file'); });")
        b.wait("the page to say the game stopped", lambda: "stopped with an error" in b.text("status"), 120)

    def test_plays_offline_and_on_a_hanging_network(self):
        with tempfile.TemporaryDirectory(prefix="vaskel-site-") as tmp:
            root = os.path.join(tmp, "site")
            shutil.copytree(SITE, root)
            b, site = self.open(root, head=HOST_ADDED)
            b.wait_frames(1)
            b.wait("the service worker in control", lambda: b.driver.execute_script(
                "return !!(navigator.serviceWorker && navigator.serviceWorker.controller);"), 120)
            b.console()
            for trouble in (site.hang, site.close):
                trouble()
                b.driver.refresh()
                b.wait_frames(LOGO_GONE)
                self.assertGreater(moves_while_held(b, b.still(LOGO_GONE), *held(b, "w")), 0.05,
                                   "%s: holding w did not walk" % trouble.__name__)
            self.assertEqual([], [m for m in b.console() if "no offline play" in m])

    def test_says_which_game_file_did_not_come(self):
        with tempfile.TemporaryDirectory(prefix="vaskel-site-") as tmp:
            root = os.path.join(tmp, "site")
            shutil.copytree(SITE, root)
            wasm, data, js = ("/" + game_file(root, kind) for kind in ("wasm", "data", "js"))
            for head, serve, said in [(NO_WORKER, {"status": {wasm: 404}}, wasm[1:] + " is not on the site"),
                                      ("", {"status": {data: 500}}, data[1:] + " (HTTP 500)"),
                                      (NO_WORKER, {"before": {js: lambda: rebuild(root)}}, "updated while")]:
                b, _ = self.open(root, head=head, **serve)
                b.wait("the page to say " + said, lambda: said in b.text("status"), 120)

    def test_what_only_chromium_checks(self):
        if self.ENGINE == "chromium":
            return
        self.skipTest(note_skip(self, "Chromium-only checks",
                                "; ".join("%s (%s)" % check for check in ONLY_IN_CHROMIUM)))

    def test_fits_an_iphone_held_sideways(self):
        b, _ = self.open(head=NO_ELEMENT_FULLSCREEN, size=(844, 390))
        b.wait_frames(1)
        at = b.driver.execute_script(LAYOUT_JS)
        width, height = at["inner"]
        self.assertTrue(width > height and height <= 540, "not a phone held sideways: %s" % at)
        left, top, right, bottom = at["view"]
        self.assertAlmostEqual(height, bottom - top, delta=2, msg="the view is not as tall as the screen: %s" % at)
        self.assertAlmostEqual((right - left) * 3 / 4, bottom - top, delta=2)
        self.assertLessEqual(at["scroll"][1], height, "the page scrolls")
        self.assertFalse(b.driver.execute_script("return !!document.getElementById('fullscreen').offsetParent;"),
                         "a Full screen button that can do nothing")
        b.still(LOGO_GONE)
        self.keep(b, "iphone-landscape")


# The checks the other engines leave to Chromium, and why.
ONLY_IN_CHROMIUM = [
    ("touch screen", "no touch emulation in the driver; a desktop engine shows no touch controls"),
    ("install as a web app and rebuild", "no manifest install in this engine"),
    ("hidden tab", "DevTools' tab and throttling control only"),
    ("phone turned mid-game", "DevTools' device emulation only"),
    ("fall against the desktop's frames", "kept to one engine for the pass's wall time"),
    ("page opened from disk", "kept to one engine for the pass's wall time"),
]


class ChromiumCore(CoreChecks, unittest.TestCase):
    ENGINE = "chromium"


class FirefoxCore(CoreChecks, unittest.TestCase):
    ENGINE = "firefox"


class WebKitCore(CoreChecks, unittest.TestCase):
    ENGINE = "webkit"


if __name__ == "__main__":
    if len(sys.argv) < 2 or not os.path.isfile(os.path.join(sys.argv[1], "index.html")):
        sys.exit("usage: test_browser.py SITE_DIR [BUILD_DIR] (built by tools/build-web)")
    SITE = os.path.abspath(sys.argv.pop(1))
    BUILD = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 and os.path.isdir(sys.argv[1]) else
                            os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../build"))
    # --engines chromium,firefox,webkit: only those engines' checks (every check
    # that is not a core one is Chromium's), so that two passes share the cores.
    engines = None
    if len(sys.argv) > 2 and sys.argv[1] == "--engines":
        engines = sys.argv[2].split(",")
        del sys.argv[1:3]
    if engines is None:
        result = unittest.main(verbosity=2, exit=False).result
    else:
        def tests(suite):
            for t in suite:
                yield from tests(t) if isinstance(t, unittest.TestSuite) else [t]
        suite = unittest.TestSuite(t for t in tests(unittest.defaultTestLoader.loadTestsFromModule(sys.modules[__name__]))
                                   if getattr(t, "ENGINE", "chromium") in engines)
        result = unittest.TextTestRunner(verbosity=2).run(suite)
    failed = len(result.failures) + len(result.errors)
    print("browser: %d passed, %d failed, %d skipped" % (result.testsRun - failed - len(result.skipped), failed,
                                                        len(result.skipped)))
    sys.exit(1 if failed or not result.testsRun else 0)
