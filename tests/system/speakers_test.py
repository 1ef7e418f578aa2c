"""The Speakers source through the real binary on the private PulseAudio server, with a default
recording source that hears nothing: chosen with Up or --speakers, it follows the default sink, lives
through a restart of the server, fails cleanly without one, and is remembered for the next start."""
import os
import subprocess
import tempfile
import threading
import unittest

import harness

QUIET_SOURCE = "quasarine_quiet_source"
OTHER_SINK = "quasarine_other_sink"
SPEAKERS_NAME = "Speakers: QuasarineSink"  # the null sink's description follows the label


def pactl(*args):
    return subprocess.run(["pactl", *args], check=True, capture_output=True, text=True).stdout.strip()


class Speakers(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.title = harness.embedded_image("title")

    def setUp(self):
        self.config = tempfile.mkdtemp(prefix="quasarine-config-")
        self.players = []
        self.process = None
        self.quiet_module = pactl("load-module", "module-null-source", f"source_name={QUIET_SOURCE}")
        self.addCleanup(self.restore_server)
        pactl("set-default-source", QUIET_SOURCE)

    def restore_server(self):
        for stop, thread in self.players:
            stop.set()
            thread.join(timeout=30)
        if self.process is not None:
            harness.finish(self.process, timeout=5)
        if harness.server_answers():
            subprocess.run(["pactl", "unload-module", self.quiet_module], capture_output=True)
            subprocess.run(["pactl", "set-default-sink", "quasarine_sink"], capture_output=True)
            subprocess.run(["pactl", "set-default-source", "quasarine_sink.monitor"], capture_output=True)

    def play(self, sink="quasarine_sink"):
        stop = threading.Event()
        self.players.append((stop, harness.play_tone_until(stop, sink)))
        return stop

    def launch(self, *args, env_extra=None):
        env = {"XDG_CONFIG_HOME": self.config}
        env.update(env_extra or {})
        self.process = harness.start(args, env_extra=env)
        self.window = harness.wait_for_window(harness.WINDOW_TITLE, process=self.process)
        self.assertIsNotNone(self.window, "no program window appeared: " + harness.process_state(self.process))
        self.assertTrue(harness.wait_for_image(self.window, self.title), "no title screen")

    def shot(self):
        return harness.screenshot(self.window)

    def fractal_shown(self, timeout=60):
        return harness.wait_for_fractal(self.window, self.title, timeout)

    def title_shown(self, timeout=60):
        return harness.wait_for_image(self.window, self.title, timeout)

    def source_name_reads(self, text, timeout=30):
        return harness.wait_until(lambda: harness.source_name_has_glyphs(self.shot(), len(text)), timeout)

    def quit(self):
        harness.key(self.window[0], "Escape")
        self.assertEqual(harness.finish(self.process), 0)
        self.process = None

    def settings_text(self):
        with open(os.path.join(self.config, "quasarine", "settings")) as f:
            return f.read()

    def test_up_from_the_default_device_brings_the_speakers_in_and_they_are_remembered(self):
        self.play()
        self.launch("--viz")
        self.assertTrue(self.source_name_reads("Default Recording Device"))
        harness.key(self.window[0], "Up")
        self.assertTrue(self.fractal_shown(), "the sink's tone did not bring the fractal in")
        self.quit()
        # The monitor's lines share the file.
        self.assertIn("source=speakers", self.settings_text().splitlines())
        # The next plain start follows the speakers again, and the title screen names them.
        self.launch()
        self.assertTrue(self.source_name_reads(SPEAKERS_NAME), "the title does not name the speakers")
        harness.key(self.window[0], "v")
        self.assertTrue(self.fractal_shown(), "the remembered speakers did not bring the fractal in")
        self.quit()

    def test_the_demo_track_and_the_screen_saver_come_back_to_the_speakers(self):
        self.launch()
        harness.key(self.window[0], "Up")
        self.assertTrue(self.source_name_reads(SPEAKERS_NAME), "Up did not reach the speakers")
        harness.key(self.window[0], "space")
        self.assertTrue(harness.wait_until(lambda: harness.peak_level(harness.record_monitor()) > 1000, 30),
                        "the demo track is not heard")
        harness.key(self.window[0], "v", "space")
        self.assertTrue(self.source_name_reads(SPEAKERS_NAME), "leaving the demo track lost the speakers")
        harness.key(self.window[0], "Tab", "v", "Tab")
        self.assertTrue(self.source_name_reads(SPEAKERS_NAME), "leaving the screen saver lost the speakers")
        self.quit()

    def test_the_capture_follows_the_default_sink(self):
        module = pactl("load-module", "module-null-sink", f"sink_name={OTHER_SINK}")
        self.addCleanup(lambda: subprocess.run(["pactl", "unload-module", module], capture_output=True))
        stop = self.play()
        self.launch("--viz", "--speakers")
        self.assertTrue(self.fractal_shown(), "the sink's tone did not bring the fractal in")
        stop.set()
        self.assertTrue(self.title_shown(), "the picture did not fade when the tone stopped")
        # A tone in the new default sink only is seen when the capture moved there.
        pactl("set-default-sink", OTHER_SINK)
        self.play(OTHER_SINK)
        self.assertTrue(self.fractal_shown(), "the new default sink's tone was not seen")
        self.quit()

    def test_a_restarted_server_is_captured_again_without_a_key(self):
        stop = self.play()
        self.launch("--viz", "--speakers")
        self.assertTrue(self.fractal_shown(), "the sink's tone did not bring the fractal in")
        stop.set()
        harness.restart_audio_server()
        self.quiet_module = pactl("load-module", "module-null-source", f"source_name={QUIET_SOURCE}")
        pactl("set-default-source", QUIET_SOURCE)
        # Silence stands in while the server is away, so the picture fades out.
        self.assertTrue(self.title_shown(), "the picture did not fade without the server")
        self.assertIsNone(self.process.poll(), "the program died with the server")
        self.play()
        self.assertTrue(self.fractal_shown(), "the capture did not come back with the server")
        self.quit()

    def test_without_a_server_the_entry_fails_and_every_key_still_works(self):
        self.launch("--speakers", env_extra={"PULSE_SERVER": "unix:/nonexistent"})
        self.assertTrue(self.source_name_reads("No Audio Input Device"))
        harness.key(self.window[0], "Down", "Up", "Up", "Up")
        self.assertTrue(self.source_name_reads("No Audio Input Device"))
        harness.key(self.window[0], "space", "Tab", "Tab", "Down")
        self.assertTrue(self.title_shown())
        self.assertIsNone(self.process.poll())
        self.quit()

    def test_damaged_settings_files_give_a_normal_start_on_the_default_device(self):
        folder = os.path.join(self.config, "quasarine")
        path = os.path.join(folder, "settings")

        def write(data):
            with open(path, "wb") as f:
                f.write(data)

        def huge():
            with open(path, "wb") as f:
                f.truncate(100 * 1024 * 1024)

        damaged = {
            "corrupted": lambda: write(os.urandom(2000)),
            "truncated": lambda: write(b"source=spea"),
            "empty": lambda: write(b""),
            "huge": huge,
            "unreadable": lambda: os.mkdir(path),
        }
        for name, make in damaged.items():
            with self.subTest(name):
                subprocess.run(["rm", "-rf", folder], check=True)
                os.makedirs(folder)
                make()
                self.launch("--viz")
                self.assertTrue(self.source_name_reads("Default Recording Device"), name)
                self.quit()


if __name__ == "__main__":
    unittest.main()
