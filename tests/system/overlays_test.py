"""The overlay screens through the real binary: the title screen's source name with and without an
audio server, the help screen (H) and the controls guide (C), compared with the embedded images."""
import os
import time
import unittest

import harness

class Overlays(unittest.TestCase):
    def run_program(self, env_extra=None):
        self.process = harness.start(env_extra=env_extra)
        self.window = harness.wait_for_window(harness.WINDOW_TITLE)
        self.assertIsNotNone(self.window)
        time.sleep(1.5)

    def tearDown(self):
        harness.key(self.window[0], "Escape")
        self.assertEqual(harness.finish(self.process), 0)

    def assert_source_name_glyphs(self, shot, glyphs):
        self.assertTrue(harness.source_name_has_glyphs(shot, glyphs),
                        f"the source name is not {glyphs} glyphs long")

    def test_title_reads_default_recording_device_with_a_server(self):
        self.run_program()
        shot = harness.screenshot(self.window)
        self.assertGreater(harness.matches_image(shot, harness.embedded_image("title")), 0.9)
        self.assert_source_name_glyphs(shot, len("Default Recording Device"))
        if os.environ.get("QUASARINE_SCREENSHOT_DIR"):
            harness.save_png(self.window, os.path.join(os.environ["QUASARINE_SCREENSHOT_DIR"], "title.png"))

    def test_title_reads_no_audio_input_device_without_a_server(self):
        self.run_program({"PULSE_SERVER": "unix:/nonexistent"})
        shot = harness.screenshot(self.window)
        self.assert_source_name_glyphs(shot, len("No Audio Input Device"))
        # Both selector arrows grey (195, 195, 195) when nothing can record.
        arrows = [harness.pixel(shot, x, y) for x in range(369, 381) for y in range(452, 476)]
        self.assertIn((195, 195, 195), arrows)
        self.assertNotIn((34, 177, 76), arrows)

    def test_help_and_controls_cover_the_window(self):
        self.run_program()
        harness.key(self.window[0], "h")
        time.sleep(0.5)
        help_shot = harness.screenshot(self.window)
        help_image = harness.embedded_image("help", 1920, 1080, shrink=2)
        # Scaled down by two with nearest sampling: most pixels match the image's even samples.
        self.assertGreater(harness.matches_image(help_shot, help_image, threshold=60), 0.7)
        harness.key(self.window[0], "c")
        time.sleep(0.5)
        controls_shot = harness.screenshot(self.window)
        self.assertGreater(harness.matches_image(controls_shot, harness.embedded_image("controls")), 0.98)
        self.assertLess(harness.matches_image(controls_shot, help_image, threshold=60), 0.7)
        harness.key(self.window[0], "c")
        time.sleep(0.5)
        self.assertGreater(harness.matches_image(harness.screenshot(self.window),
                                                 harness.embedded_image("title")), 0.9)


if __name__ == "__main__":
    unittest.main()
