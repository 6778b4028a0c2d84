"""The browser build played in real headless Chromium (SwiftShader WebGL).

Usage: test_browser.py SITE_DIR   (the output of tools/build-web)

One page load serves all cases, in order: the start-up lines, the first
picture, walking, turning, and Escape last. Pictures are canvas captures
taken at frame boundaries; nothing depends on the frame rate.
"""
import os
import sys
import unittest

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser import Browser, Site  # noqa: E402

SITE = None
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


class BrowserGame(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.site = Site(SITE)
        cls.browser = Browser(cls.site.url)

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        cls.site.close()

    def still_picture(self):
        """A capture after the logo is gone, checked to be the settled view."""
        b = self.browser
        first, at = b.capture(max(LOGO_GONE, b.state()["frames"] + 1))
        second, _ = b.capture(at + 3)
        diff = b.difference(first, second, 0)
        self.assertEqual(0, diff["off"], "the view changes without input")
        return first

    def moved(self, before, after):
        diff = self.browser.difference(before, after, 48)
        return diff["off"]

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
        before = self.still_picture()
        start = b.state()["frames"]
        # A walk of 8 frames (2 units) brings back the same checkerboard, so
        # w is held for about half that: the tiles then swap places.
        ActionChains(b.driver).key_down("w").perform()
        b.wait_frames(start + 4)
        ActionChains(b.driver).key_up("w").perform()
        after = self.still_picture()
        self.assertGreater(self.moved(before, after), 0.05, "holding w did not move the view")

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


if __name__ == "__main__":
    if len(sys.argv) < 2 or not os.path.isfile(os.path.join(sys.argv[1], "index.html")):
        sys.exit("usage: test_browser.py SITE_DIR (built by tools/build-web)")
    SITE = os.path.abspath(sys.argv.pop(1))
    result = unittest.main(verbosity=2, exit=False).result
    failed = len(result.failures) + len(result.errors)
    print("browser: %d passed, %d failed" % (result.testsRun - failed, failed))
    sys.exit(1 if failed or not result.testsRun else 0)
