"""The overlay screens through the real binary: the title screen's source name with and without an
audio server, the help screen (H) and the controls guide (C), compared with the embedded images."""
import unittest

import harness


class Overlays(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.title_image = harness.embedded_image("title")
        # Half of the 1920 x 1080 image, each 2 x 2 block averaged as linear filtering shows it.
        cls.help_image = harness.embedded_image("help", 1920, 1080, shrink=2)
        cls.controls_image = harness.embedded_image("controls")

    def run_program(self, env_extra=None):
        self.process = harness.start(env_extra=env_extra)
        self.window = harness.wait_for_window(harness.WINDOW_TITLE, process=self.process)
        self.assertIsNotNone(self.window, "no program window appeared: " + harness.process_state(self.process))

    def wait_for_screen(self, image, share=0.9, threshold=24):
        """The first screenshot that matches the image, or None after a generous deadline."""
        def matching_shot():
            shot = harness.screenshot(self.window)
            return shot if harness.matches_image(shot, image, threshold) > share else None
        return harness.wait_until(matching_shot, 30)

    def tearDown(self):
        harness.key(self.window[0], "Escape")
        self.assertEqual(harness.finish(self.process), 0)

    def assert_source_name_glyphs(self, shot, glyphs):
        self.assertTrue(harness.source_name_has_glyphs(shot, glyphs),
                        f"the source name is not {glyphs} glyphs long")

    def test_title_reads_default_recording_device_with_a_server(self):
        self.run_program()
        shot = self.wait_for_screen(self.title_image)
        self.assertIsNotNone(shot, "the title screen did not appear")
        self.assert_source_name_glyphs(shot, len("Default Recording Device"))

    def test_title_reads_no_audio_input_device_without_a_server(self):
        self.run_program({"PULSE_SERVER": "unix:/nonexistent"})
        shot = self.wait_for_screen(self.title_image)
        self.assertIsNotNone(shot, "the title screen did not appear")
        self.assert_source_name_glyphs(shot, len("No Audio Input Device"))
        # Both selector arrows grey (195, 195, 195) when nothing can record.
        arrows = [harness.pixel(shot, x, y) for x in range(369, 381) for y in range(452, 476)]
        self.assertIn((195, 195, 195), arrows)
        self.assertNotIn((34, 177, 76), arrows)

    def test_help_and_controls_cover_the_window(self):
        self.run_program()
        self.assertIsNotNone(self.wait_for_screen(self.title_image), "the title screen did not appear")
        harness.key(self.window[0], "h")
        # At 960 x 540 the help image is shown at half size, filtered: nearly every pixel is the mean
        # of its 2 x 2 block, so the small text keeps its strokes instead of losing every other one.
        help_shot = self.wait_for_screen(self.help_image, share=0.99, threshold=12)
        self.assertIsNotNone(help_shot, "H did not show the help screen at half size, filtered")
        harness.key(self.window[0], "c")
        controls_shot = self.wait_for_screen(self.controls_image, share=0.98)
        self.assertIsNotNone(controls_shot, "C did not show the controls guide")
        self.assertLess(harness.matches_image(controls_shot, self.help_image, threshold=60), 0.7)
        harness.key(self.window[0], "c")
        self.assertIsNotNone(self.wait_for_screen(self.title_image), "C did not return to the title screen")

if __name__ == "__main__":
    unittest.main()
