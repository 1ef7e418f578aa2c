"""A normal run of the real binary prints nothing on stdout or stderr: start-up with and without the
audio server, switching sources on the title screen and in the visualization, and quitting."""
import os
import subprocess
import tempfile
import unittest

import harness


TITLE = harness.embedded_image("title")
DEFAULT_DEVICE_GLYPHS = len("Default Recording Device")
NO_DEVICE_GLYPHS = len("No Audio Input Device")


class QuietRun(unittest.TestCase):
    def start(self, env_extra=None):
        """Starts the program with its stdout and stderr kept in files (a pipe could fill up and
        stall it) and waits for its title screen."""
        env = dict(os.environ, SDL_VIDEO_X11_FORCE_EGL="1", **(env_extra or {}))
        self.stdout = tempfile.TemporaryFile()
        self.stderr = tempfile.TemporaryFile()
        self.process = subprocess.Popen([harness.PROGRAM], env=env, stdin=subprocess.DEVNULL,
                                        stdout=self.stdout, stderr=self.stderr)
        self.window = harness.wait_for_window(harness.WINDOW_TITLE, timeout=60, process=self.process)
        self.assertIsNotNone(self.window, "no program window appeared: " + harness.process_state(self.process))
        self.assertTrue(self.wait_for(lambda s: harness.matches_image(s, TITLE) > 0.9),
                        "the title screen did not appear")

    def tearDown(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.stdout.close()
        self.stderr.close()

    def wait_for(self, condition, timeout=60.0):
        """The first screenshot that meets the condition before the deadline, else None."""
        return harness.wait_until(lambda: (lambda s: s if condition(s) else None)(
            harness.screenshot(self.window)), timeout)

    def wait_for_sound(self, audible):
        def level_matches():
            peak = harness.peak_level(harness.record_monitor(1.0))
            return peak > 1000 if audible else peak < 50
        return harness.wait_until(level_matches, 30.0)

    def quit_and_assert_silent_console(self):
        harness.key(self.window[0], "Escape")
        self.assertEqual(harness.finish(self.process, timeout=60), 0)
        for name, stream in (("stdout", self.stdout), ("stderr", self.stderr)):
            stream.seek(0)
            text = stream.read().decode(errors="replace")
            self.assertEqual(len(text), 0, f"the program printed on {name}:\n{text[:2000]}")

    def test_with_the_audio_server_switching_sources(self):
        self.start()
        self.assertTrue(self.wait_for(lambda s: harness.source_name_has_glyphs(s, DEFAULT_DEVICE_GLYPHS)))
        harness.key(self.window[0], "Up")
        self.assertTrue(self.wait_for(lambda s: harness.source_name_columns(s)
                                      and not harness.source_name_has_glyphs(s, DEFAULT_DEVICE_GLYPHS)),
                        "Up did not select the first device")
        harness.key(self.window[0], "Down")
        self.assertTrue(self.wait_for(lambda s: harness.source_name_has_glyphs(s, DEFAULT_DEVICE_GLYPHS)),
                        "Down did not return to the default recording device")

        harness.key(self.window[0], "space")
        self.assertTrue(self.wait_for(lambda s: harness.is_fractal(s, TITLE)),
                        "the demo track did not bring up the fractal")
        self.assertTrue(self.wait_for_sound(True), "the demo track is not heard")
        harness.key(self.window[0], "Tab")
        self.assertTrue(self.wait_for_sound(False), "screen-saver mode is not silent")
        harness.key(self.window[0], "space")
        self.assertTrue(self.wait_for_sound(True), "Space did not make the demo track audible again")
        harness.key(self.window[0], "v")
        self.assertTrue(self.wait_for(lambda s: not harness.is_fractal(s, TITLE)),
                        "V did not bring back the title screen")
        self.quit_and_assert_silent_console()

    def test_without_an_audio_server(self):
        self.start({"PULSE_SERVER": "unix:/nonexistent"})
        self.assertTrue(self.wait_for(lambda s: harness.source_name_has_glyphs(s, NO_DEVICE_GLYPHS)),
                        "the title does not read that there is no device")
        # With nothing to record from or play on, every source change ends where it began. The help
        # screen, asked for last, shows that the program has handled the keys before it.
        harness.key(self.window[0], "Up", "Down", "space", "Tab", "h")
        self.assertTrue(self.wait_for(lambda s: harness.matches_image(s, TITLE) < 0.5),
                        "the help screen did not appear")
        harness.key(self.window[0], "h")
        self.assertTrue(self.wait_for(lambda s: harness.matches_image(s, TITLE) > 0.9
                                      and harness.source_name_has_glyphs(s, NO_DEVICE_GLYPHS)),
                        "the title no longer reads that there is no device")
        self.quit_and_assert_silent_console()


if __name__ == "__main__":
    unittest.main()
