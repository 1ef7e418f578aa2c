"""The visualizer session through the real binary with the private audio server: demo and
screen-saver mode, the return to the recording device, a drag zoom and quitting."""
import unittest

import harness


TITLE = harness.embedded_image("title")


def is_fractal(shot):
    return harness.is_fractal(shot, TITLE)


class Session(unittest.TestCase):
    def setUp(self):
        self.process = harness.start(["--viz"])
        self.window = harness.wait_for_window(harness.WINDOW_TITLE, process=self.process)
        self.assertIsNotNone(self.window, "no program window appeared: " + harness.process_state(self.process))
        self.assertTrue(harness.wait_for_image(self.window, TITLE), "no title screen")

    def tearDown(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()

    def shot(self):
        return harness.screenshot(self.window)

    def test_demo_screen_saver_and_back_to_the_recording_device(self):
        title = self.shot()
        self.assertFalse(is_fractal(title), "a silent room must keep the title screen up")

        harness.key(self.window[0], "space")
        shot = harness.wait_until(lambda: (lambda s: s if is_fractal(s) else None)(self.shot()), 30.0)
        self.assertTrue(shot and is_fractal(shot), "the demo track did not bring up the fractal")
        # A fresh stream through ALSA's PulseAudio plug-in may pause for a moment after it starts.
        heard = harness.wait_until(lambda: harness.peak_level(harness.record_monitor(1.0)) > 1000, 20.0)
        self.assertTrue(heard, "the demo track is not heard on the output")

        harness.key(self.window[0], "Tab")
        silent = harness.wait_until(lambda: harness.peak_level(harness.record_monitor(1.0)) < 50, 20.0)
        self.assertTrue(silent, "screen-saver mode must be silent")
        first = self.shot()
        moved = harness.wait_until(
            lambda: (lambda s: is_fractal(s) and harness.difference_share(first, s) > 0.05)(self.shot()), 20.0)
        self.assertTrue(moved, "the picture stopped")

        harness.key(self.window[0], "Tab")
        # Back on the silent recording device the picture fades out to the title screen.
        back = harness.wait_until(lambda: (lambda s: s if not is_fractal(s) else None)(self.shot()), 30.0)
        self.assertTrue(back and not is_fractal(back), "silence did not fade the picture out")

        harness.key(self.window[0], "Escape")
        self.assertEqual(harness.finish(self.process), 0)

    def test_space_again_stops_the_demo_and_a_drag_zooms(self):
        harness.key(self.window[0], "space")
        self.assertTrue(harness.wait_for_fractal(self.window, TITLE, 30.0))
        x0, y0 = self.window[4] + 300, self.window[5] + 200
        harness.drag(x0, y0, x0 + 200, y0 + 120)
        self.assertIsNone(self.process.poll(), "the program ended after the drag")
        # A zoom may land on a calm part of the plane for a moment; the animation moves on from it.
        self.assertTrue(harness.wait_for_fractal(self.window, TITLE, 30.0), "no fractal after the drag zoom")
        harness.key(self.window[0], "space")
        silent = harness.wait_until(lambda: harness.peak_level(harness.record_monitor(1.0)) < 50, 20.0)
        self.assertTrue(silent, "the demo track still plays after Space")
        harness.key(self.window[0], "Escape")
        self.assertEqual(harness.finish(self.process), 0)


if __name__ == "__main__":
    unittest.main()
