"""The program's start-up through the real binary: no display, a refused swap interval, the window
in windowed and full-screen mode, and Esc ending it with exit code 0."""
import os
import subprocess
import time
import unittest

import harness


class Startup(unittest.TestCase):
    def test_without_a_display_exits_10_without_a_box(self):
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
        before = {w[0] for w in harness.top_windows()}
        # An empty driver name asks for no driver in particular, just as an unset one.
        for driver in (None, ""):
            if driver is not None:
                env["SDL_VIDEODRIVER"] = driver
            result = subprocess.run([harness.PROGRAM], env=env, capture_output=True, timeout=60)
            self.assertEqual(result.returncode, 10, f"SDL_VIDEODRIVER={driver!r}")
        after = [w for w in harness.top_windows() if w[0] not in before]
        self.assertEqual([w for w in after if w[1] == harness.BOX_TITLE], [])

    def test_refused_vsync_shows_the_box_and_exits_18(self):
        process = harness.start(egl=False)
        box = harness.wait_for_window(harness.BOX_TITLE)
        self.assertIsNotNone(box, "no error box appeared")
        self.assertIsNone(process.poll(), "the box must block until it is dismissed")
        self.assertFalse([w for w in harness.top_windows() if w[1] == harness.WINDOW_TITLE],
                         "the window must be gone before the box is shown")
        shot = harness.screenshot(box)
        self.assertGreater(harness.distinct_colours(shot, step=1), 1, "the box is blank")
        harness.key_to_window(box[0], "Return")
        self.assertEqual(harness.finish(process), 18)

    def test_windowed_start_is_centred_at_half_the_desktop_and_esc_quits(self):
        process = harness.start()
        window = harness.wait_for_window(harness.WINDOW_TITLE, process=process)
        self.assertIsNotNone(window, "no program window appeared: " + harness.process_state(process))
        self.assertEqual(window[2:], (960, 540, 480, 270))
        self.assertTrue(harness.wait_for_image(window, harness.embedded_image("title")), "no title screen")
        harness.key(window[0], "Escape")
        self.assertEqual(harness.finish(process), 0)

    def test_full_screen_start_covers_the_desktop(self):
        process = harness.start(["-f"])
        window = harness.wait_for_window(harness.WINDOW_TITLE, process=process)
        self.assertIsNotNone(window, "no program window appeared: " + harness.process_state(process))
        deadline = time.time() + 30
        while window[2:] != (1920, 1080, 0, 0) and time.time() < deadline:
            time.sleep(0.1)
            window = harness.wait_for_window(harness.WINDOW_TITLE)
        self.assertEqual(window[2:], (1920, 1080, 0, 0))
        harness.key(window[0], "Escape")
        self.assertEqual(harness.finish(process), 0)


if __name__ == "__main__":
    unittest.main()
