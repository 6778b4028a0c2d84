"""The browser build in real browsers, for the browser test and
tools/bench-web: a static server on 127.0.0.1, a fresh profile, the page's
frame counter and canvas captures. Chromium runs headless; Firefox ESR
(over WebDriver BiDi, through tests/web/firefox/bridge.mjs) and WebKitGTK's
MiniBrowser (through WebKitWebDriver) run on a private Xvfb, where Mesa
gives them WebGL.

Every wait polls a condition against a deadline: software WebGL on a shared
two-core machine has no fixed pace.
"""
import atexit
import base64
import functools
import glob
import http.server
import json
import os
import select
import shutil
import subprocess
import tempfile
import threading
import time
import warnings

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.webkitgtk.service import Service as WebKitService

# Chromium's own background connections are refused on a closed network and
# only slow it down; the throttling switches keep a page without focus at speed.
CHROMIUM_ARGS = [
    "--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
    "--no-sandbox", "--no-first-run", "--disable-background-networking",
    "--disable-component-update", "--disable-sync", "--disable-quic",
    "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
    "--disable-backgrounding-occluded-windows", "--window-size=900,900",
]

# Region statistics of a captured frame, computed in the page: mean colour
# and the largest distance of a pixel from that mean, per rectangle.
REGION_JS = """
const [url, rects, done] = arguments;
const img = new Image();
img.onload = () => {
  const c = document.createElement('canvas');
  c.width = img.width; c.height = img.height;
  const g = c.getContext('2d');
  g.drawImage(img, 0, 0);
  const d = g.getImageData(0, 0, c.width, c.height).data;
  done(rects.map(([x0, y0, x1, y1]) => {
    const m = [0, 0, 0]; let n = 0;
    for (let y = y0; y < y1; y++) for (let x = x0; x < x1; x++) {
      const i = (y * c.width + x) * 4; m[0] += d[i]; m[1] += d[i + 1]; m[2] += d[i + 2]; n++;
    }
    for (let k = 0; k < 3; k++) m[k] /= n;
    let spread = 0;
    for (let y = y0; y < y1; y++) for (let x = x0; x < x1; x++) {
      const i = (y * c.width + x) * 4;
      spread = Math.max(spread, Math.abs(d[i] - m[0]) + Math.abs(d[i + 1] - m[1]) + Math.abs(d[i + 2] - m[2]));
    }
    return {mean: m, spread: spread};
  }));
};
img.onerror = () => done(null);
img.src = url;
"""

# Put first into a page's head (Site(head=...)), keeps its console lines,
# warnings and errors marked, and the errors the page left to the browser.
CONSOLE_RECORDER = ("<script>window.consoleLines = []; ['log', 'warn', 'error'].forEach(function (k) {"
                    "  var f = console[k]; console[k] = function () {"
                    "    var line = Array.prototype.join.call(arguments, ' ');"
                    "    window.consoleLines.push(k === 'log' ? line : k + ': ' + line);"
                    "    return f.apply(console, arguments); }; });"
                    "['error', 'unhandledrejection'].forEach(function (type) { addEventListener(type, function (e) {"
                    "  setTimeout(function () { if (!e.defaultPrevented)"
                    "    window.consoleLines.push('uncaught: ' + (e.message || e.reason)); }); }); });</script>")

HERE = os.path.dirname(os.path.abspath(__file__))
PICDIFF = os.path.join(HERE, "../e2e/picdiff")


def picture_difference(a, b, threshold=48):
    """Two captures (PNG data URLs) compared by the tests' one picture
    comparison: the mean channel difference and the share of pixels off by
    more than threshold levels."""
    import subprocess
    with tempfile.TemporaryDirectory(prefix="vaskel-diff-") as tmp:
        paths = [os.path.join(tmp, name) for name in ("a.png", "b.png")]
        for url, path in zip((a, b), paths):
            save_data_url(url, path)
        out = subprocess.run([PICDIFF] + paths + [str(threshold)], capture_output=True, text=True, check=True)
    mean, share, _ = out.stdout.split()
    return {"mean": float(mean), "off": float(share)}


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map, **{".wasm": "application/wasm"})

    def __init__(self, *args, site=None, **kwargs):
        self.site = site
        super().__init__(*args, **kwargs)

    def do_GET(self):
        if self.site.hanging.is_set():  # a network that never answers
            self.site.released.wait()
            return
        path = self.path.split("?")[0]
        time.sleep(self.site.slow.get(path, 0))
        if path in self.site.before:
            self.site.before.pop(path)()
        if path in self.site.status:
            self.send_error(self.site.status[path])
            return
        if path in self.site.moved:
            self.send_response(308)
            self.send_header("Location", self.site.moved[path])
            self.send_header("Cache-Control", "public, max-age=0, must-revalidate")  # as static hosts send it
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if self.site.head and path in ("/", "/index.html"):  # as hosts rewrite pages
            with open(os.path.join(self.directory, "index.html"), "rb") as f:
                page = f.read().replace(b"<head>", b"<head>" + self.site.head.encode(), 1)
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(page)))
            self.end_headers()
            self.wfile.write(page)
            return
        super().do_GET()

    def log_message(self, *args):
        pass


class Site:
    """Serves a directory on 127.0.0.1 on a free port, in this process.
    head: markup put first into the page's head (a test's change to what the
    browser offers); hang(): from then on no request is answered; slow:
    seconds each answer to a path waits; status: the HTTP error a path gets;
    moved: where a path is permanently redirected (308); before: what to do,
    once, before a path is answered."""

    def __init__(self, root, head=""):
        self.head = head
        self.slow = {}
        self.status = {}
        self.moved = {}
        self.before = {}
        self.hanging = threading.Event()
        self.released = threading.Event()
        handler = functools.partial(QuietHandler, directory=root, site=self)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.server.daemon_threads = True
        self.url = "http://127.0.0.1:%d/" % self.server.server_address[1]
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def hang(self):
        self.hanging.set()

    def close(self):
        self.released.set()
        self.server.shutdown()
        self.server.server_close()


class XServer:
    """A private Xvfb for the browsers that need a display, with a window
    manager: without one no window ever has the focus, and a page without
    it is refused pointer lock."""

    def __init__(self):
        read, write = os.pipe()
        self.proc = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten",
                                      "tcp"], pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            number = f.readline().strip()
        if not number:
            raise AssertionError("Xvfb did not start")
        self.display = ":" + number
        self.wm = subprocess.Popen(["openbox", "--sm-disable"], env=dict(os.environ, DISPLAY=self.display),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def close(self):
        for proc in (self.wm, self.proc):
            proc.terminate()
            proc.wait(20)


_xserver = None


def display():
    global _xserver
    if _xserver is None:
        _xserver = XServer()
        atexit.register(_xserver.close)
    return _xserver.display


FIREFOX = "/usr/bin/firefox-esr"
BRIDGE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "firefox", "bridge.mjs")


def minibrowser():
    found = sorted(glob.glob("/usr/lib/*/webkit2gtk-4.*/MiniBrowser"))
    return found[-1] if found else None


def engine_missing(engine):
    """Why an engine cannot run here, or None."""
    if engine == "firefox":
        for need in (FIREFOX, shutil.which("node"), os.path.join(os.path.dirname(BRIDGE), "node_modules",
                                                                  "puppeteer-core")):
            if not need or not os.path.exists(need):
                return "no %s (tools/install-deps web installs it)" % (need or "node")
    if engine == "webkit" and not (shutil.which("WebKitWebDriver") and minibrowser()):
        return "no WebKitWebDriver or MiniBrowser (tools/install-deps web installs them)"
    return None


class BridgeDriver:
    """Firefox through bridge.mjs, answering the calls the tests make of a
    selenium driver: scripts as function bodies over `arguments`."""

    def __init__(self, width, height):
        self.profile = tempfile.mkdtemp(prefix="vaskel-firefox-")
        env = dict(os.environ, DISPLAY=display())
        self.proc = subprocess.Popen(["node", BRIDGE, FIREFOX, self.profile, str(width), str(height)],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, env=env)
        self.timeout = 120

    def call(self, **request):
        self.proc.stdin.write(json.dumps(request) + "\n")
        self.proc.stdin.flush()
        # A deadline on the answer: a browser that stopped answering fails the check.
        if not select.select([self.proc.stdout], [], [], self.timeout + 60)[0]:
            raise AssertionError("Firefox did not answer %s" % request.get("op"))
        line = self.proc.stdout.readline()
        if not line:
            raise AssertionError("Firefox's bridge ended")
        answer = json.loads(line)
        if "error" in answer:
            raise AssertionError("Firefox: " + answer["error"])
        return answer["value"]

    def set_script_timeout(self, seconds):
        self.timeout = seconds

    def execute_script(self, body, *args):
        return self.call(op="eval", body=body, args=list(args))

    def execute_async_script(self, body, *args):
        return self.call(op="eval", body=body, args=list(args), **{"async": True})

    def get(self, url):
        self.call(op="goto", url=url)

    def refresh(self):
        self.call(op="reload")

    def save_screenshot(self, path):
        self.call(op="screenshot", path=path)

    def console(self):
        return self.call(op="logs")

    def quit(self):
        try:
            self.call(op="quit")
            self.proc.wait(30)
        except (AssertionError, OSError, subprocess.TimeoutExpired):
            self.proc.kill()
            self.proc.wait()
        finally:
            self.proc.stdin.close()
            self.proc.stdout.close()
            shutil.rmtree(self.profile, ignore_errors=True)


class Browser:
    """A fresh profile of one engine ("chromium", "firefox" or "webkit")
    driving the game's page. Chromium's driver is selenium's with DevTools
    at hand; the others' answer the same script calls."""

    def __init__(self, url, throttled=False, before_load=None, engine="chromium", size=(900, 900)):
        """throttled: keep Chromium's throttling of hidden pages, as a user's
        browser has it. before_load(driver) runs before the page is opened."""
        self.engine = engine
        self.profile = None
        self.pointer = None  # where mouse_moves last sent the pointer
        if engine == "firefox":
            self.driver = BridgeDriver(*size)
        elif engine == "webkit":
            opts = webdriver.WebKitGTKOptions()
            opts.binary_location = minibrowser()
            opts.add_argument("--automation")
            # The driver starts MiniBrowser with its own environment.
            was = os.environ.get("DISPLAY")
            os.environ["DISPLAY"] = display()
            path = shutil.which("WebKitWebDriver")
            try:
                with warnings.catch_warnings():
                    warnings.simplefilter("ignore", DeprecationWarning)  # Debian 12's selenium, at every start
                    try:
                        self.driver = webdriver.WebKitGTK(options=opts, service=WebKitService(executable_path=path))
                    except TypeError:  # Debian 12's selenium takes the path itself
                        self.driver = webdriver.WebKitGTK(options=opts, executable_path=path)
            finally:
                if was is None:
                    del os.environ["DISPLAY"]
                else:
                    os.environ["DISPLAY"] = was
            self.driver.set_window_size(*size)
        else:
            self.profile = tempfile.mkdtemp(prefix="vaskel-chromium-")
            opts = webdriver.ChromeOptions()
            args = [a for a in CHROMIUM_ARGS if not (throttled and ("throttling" in a or "backgrounding" in a))]
            args = [a if not a.startswith("--window-size") else "--window-size=%d,%d" % size for a in args]
            for arg in args + ["--user-data-dir=" + self.profile]:
                opts.add_argument(arg)
            opts.set_capability("goog:loggingPrefs", {"browser": "ALL"})
            self.driver = webdriver.Chrome(service=Service(shutil.which("chromedriver") or "/usr/bin/chromedriver"),
                                           options=opts)
            # VASKEL_TEST_PACE=throttle2 or throttle4: the page runs that much slower.
            rate = {"throttle2": 2, "throttle4": 4}.get(os.environ.get("VASKEL_TEST_PACE", ""))
            if rate:
                self.driver.execute_cdp_cmd("Emulation.setCPUThrottlingRate", {"rate": rate})
        self.driver.set_script_timeout(120)
        if before_load:
            before_load(self.driver)
        self.driver.get(url if url.endswith(".html") else url + "index.html")

    def close(self):
        try:
            self.driver.quit()
        finally:
            if self.profile:
                shutil.rmtree(self.profile, ignore_errors=True)

    # Input, the same in every engine. Keys by name: "w", "Escape".
    def key(self, name, down):
        if self.engine == "firefox":
            self.driver.call(op="key", type="down" if down else "up", key=name)
            return
        code = Keys.ESCAPE if name == "Escape" else name
        chain = ActionChains(self.driver)
        (chain.key_down(code) if down else chain.key_up(code)).perform()

    def canvas_centre(self):
        return self.driver.execute_script(
            "const r = document.getElementById('canvas').getBoundingClientRect();"
            "return [r.left + r.width / 2, r.top + r.height / 2];")

    def mouse_moves(self, moves, from_centre=True):
        """The pointer onto the view's centre (or on from where it is), then
        by each (dx, dy) in turn, each taken by a frame of its own: the game
        turns by the frames that saw a motion, not by its length, so moves
        that a busy page takes in one frame would turn it less."""
        if from_centre or self.pointer is None:
            self.pointer = self.canvas_centre()
            self.pointer_to(*self.pointer)
        for dx, dy in moves:
            self.pointer = (self.pointer[0] + dx, self.pointer[1] + dy)
            self.pointer_to(*self.pointer)
            self.wait_frames(self.state()["frames"] + 2)

    def pointer_to(self, x, y):
        """The pointer to a point of the page."""
        if self.engine == "firefox":
            self.driver.call(op="mouse", type="move", x=x, y=y)
        else:
            action = ActionBuilder(self.driver)
            action.pointer_action.move_to_location(int(x), int(y))
            action.perform()

    def click_canvas(self):
        if self.engine == "firefox":
            # A real click through X: one made inside Firefox leaves the focus
            # where it was (the address bar, at first), as no user's click does.
            x, y = self.canvas_centre()
            left, top = self.driver.execute_script("return [mozInnerScreenX, mozInnerScreenY];")
            subprocess.run(["xdotool", "mousemove", "--sync", str(int(left + x)), str(int(top + y)), "click", "1"],
                           env=dict(os.environ, DISPLAY=display()), check=True, timeout=60)
            return
        self.driver.find_element(By.ID, "canvas").click()

    def text(self, element_id):
        return self.driver.execute_script("return document.getElementById(arguments[0]).textContent;", element_id)

    def state(self):
        return self.driver.execute_script(
            "const v = window.vaskel; return v && {frames: v.frames, drawCalls: v.drawCalls, "
            "ended: v.ended, exitStatus: v.exitStatus, status: document.getElementById('status').textContent};")

    def wait(self, what, condition, timeout=180):
        deadline = time.monotonic() + timeout
        while True:
            value = condition()
            if value:
                return value
            if time.monotonic() > deadline:
                raise AssertionError("timed out waiting for " + what)
            time.sleep(0.05)

    def wait_frames(self, count, timeout=180):
        return self.wait("frame %d" % count, lambda: (self.state() or {}).get("frames", 0) >= count, timeout)

    def capture(self, at_least=None, timeout=180):
        """The canvas of the first frame at or after `at_least` (default: the
        next frame), as a PNG data URL, with the frame it came from."""
        frame = at_least if at_least is not None else (self.state() or {}).get("frames", 0) + 1
        shot = self.capture_many([frame], timeout)[frame]
        return shot["url"], shot["at"]

    def capture_many(self, frames, timeout=180):
        """Captures for several frames asked at once: {frame: {url, at}}."""
        self.driver.execute_script("window.vaskel.capture = {frames: arguments[0], shots: {}};", frames)
        self.wait("captures of frames %s" % frames, lambda: self.driver.execute_script(
            "const c = window.vaskel.capture; return c.frames.every(f => c.shots[f]);"), timeout)
        shots = self.driver.execute_script("return window.vaskel.capture.shots;")
        return {int(k): v for k, v in shots.items()}

    def still(self, after=0, timeout=120):
        """A capture of the view at rest, at or after frame `after`: two
        captures three frames apart that are equal, waited for with a
        deadline. A turn decays over several frames, a logo fades and a
        player falls, each at the page's own pace."""
        deadline = time.monotonic() + timeout
        first, at = self.capture(max(after, (self.state() or {}).get("frames", 0) + 1), timeout)
        while True:
            second, at = self.capture(at + 3, timeout)
            if self.difference(first, second, 0)["off"] == 0:
                return second
            if time.monotonic() > deadline:
                raise AssertionError("the view changes without input")
            first = second

    def regions(self, url, rects):
        return self.driver.execute_async_script(REGION_JS, url, rects)

    def difference(self, a, b, threshold=48):
        return picture_difference(a, b, threshold)

    def console(self):
        """The page's console since the last call. WebKitGTK's driver does
        not hand it out: there it is what CONSOLE_RECORDER kept (None without it)."""
        if self.engine == "firefox":
            return self.driver.console()
        if self.engine == "webkit":
            return self.driver.execute_script(
                "const kept = window.consoleLines || null; if (kept) window.consoleLines = []; return kept;")
        return [e["message"] for e in self.driver.get_log("browser")]

    def complaints(self):
        """The page's warnings and errors since the last look at its console."""
        if self.engine == "chromium":
            return [e["message"] for e in self.driver.get_log("browser") if e["level"] in ("WARNING", "SEVERE")]
        return [m for m in self.console() or [] if m.split(":")[0] in ("warn", "warning", "error", "pageerror",
                                                                       "uncaught")]

    def frame_rate(self, seconds):
        """Frames counted over `seconds` of the page's own clock."""
        start = self.driver.execute_script("return [window.vaskel.frames, performance.now()];")
        time.sleep(seconds)
        end = self.driver.execute_script("return [window.vaskel.frames, performance.now()];")
        return (end[0] - start[0]) / ((end[1] - start[1]) / 1000.0)


def _play_until(build, out, env, paths):
    """Runs the desktop game on a private Xvfb (the tests' one X server
    starter, tests/with-xvfb.sh) until every file in paths is written: None,
    or the game's exit status if it ended first."""
    import signal
    import subprocess
    with open(os.path.join(out, "game.log"), "w") as log:
        game = subprocess.Popen(["bash", os.path.join(HERE, "../with-xvfb.sh"), os.path.join(build, "vaskel")],
                                cwd=out, env=env, stdout=log, stderr=log, start_new_session=True)
        try:
            deadline = time.monotonic() + 180
            while not all(os.path.exists(p) for p in paths):
                if game.poll() is not None:
                    return game.returncode
                if time.monotonic() > deadline:
                    return "timeout"
                time.sleep(0.2)
            return None
        finally:
            # The game, its X server and the script that started them.
            try:
                os.killpg(game.pid, signal.SIGTERM)
                game.wait(20)
            except (ProcessLookupError, subprocess.TimeoutExpired):
                os.killpg(game.pid, signal.SIGKILL)
                game.wait()


def desktop_frames(build, frames, keys, out):
    """The desktop game's frames (read back before they are shown) as PNG
    data URLs, played under a private Xvfb with keys queued at given frames:
    keys is a list of (frame, SDL key code, pressed)."""
    import subprocess
    os.makedirs(out, exist_ok=True)
    preload = os.path.join(out, "swapcount.so")
    subprocess.run(["cc", "-O1", "-shared", "-fPIC", os.path.join(HERE, "../../tools/swapcount.c"), "-o", preload,
                    "-ldl", "-lGL"], check=True)
    shutil.copytree(os.path.join(build, "textures"), os.path.join(out, "textures"), dirs_exist_ok=True)
    env = dict(os.environ, LD_PRELOAD=preload, SDL_VIDEODRIVER="x11", VASKEL_CAPTURE_DIR=out,
               VASKEL_CAPTURE_FRAMES=" ".join(str(f) for f in frames),
               VASKEL_KEYS=" ".join("%d:%d:%d" % (f, k, int(p)) for f, k, p in keys))
    env.pop("DISPLAY", None)
    paths = [os.path.join(out, "frame-%d.ppm" % f) for f in frames]
    status = _play_until(build, out, env, paths)
    if status is not None:
        raise AssertionError("the desktop game did not reach frame %d (exit %s): %s" % (
            max(frames), status, open(os.path.join(out, "game.log")).read()[-2000:]))
    shots = {}
    for f, p in zip(frames, paths):
        png = subprocess.run(["convert", p, "png:-"], check=True, capture_output=True).stdout
        shots[f] = "data:image/png;base64," + base64.b64encode(png).decode()
    return shots


def save_data_url(url, path):
    with open(path, "wb") as f:
        f.write(base64.b64decode(url.split(",", 1)[1]))
