"""The Debian package: built with CPack, its contents and dependencies, an apt-get installation
dry run, and the installed program started from a scratch root under the test display, plainly and
through the desktop entry's action that visualizes the speakers."""
import configparser
import os
import shlex
import shutil
import subprocess
import tempfile
import threading
import unittest

import harness

BUILD_DIR = os.environ.get("QUASARINE_BUILD_DIR", "")


SPEAKERS_ACTION = "Desktop Action visualize-speakers"
MICROPHONE = "quasarine_microphone"


def pactl(*args):
    return subprocess.run(["pactl", *args], capture_output=True, text=True, check=True, timeout=30).stdout.strip()


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.scratch = tempfile.mkdtemp(prefix="quasarine-package.")
        subprocess.run(["cpack", "-G", "DEB", "-B", cls.scratch], cwd=BUILD_DIR, check=True,
                       capture_output=True, timeout=600)
        debs = [f for f in os.listdir(cls.scratch) if f.endswith(".deb")]
        assert len(debs) == 1, debs
        cls.deb = os.path.join(cls.scratch, debs[0])
        cls.root = os.path.join(cls.scratch, "root")
        subprocess.run(["dpkg-deb", "-x", cls.deb, cls.root], check=True, timeout=120)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.scratch, ignore_errors=True)

    def test_installs_program_desktop_entry_and_icons(self):
        for path in ["usr/bin/quasarine", "usr/share/applications/quasarine.desktop",
                     "usr/share/icons/hicolor/16x16/apps/quasarine.png",
                     "usr/share/icons/hicolor/48x48/apps/quasarine.png"]:
            self.assertTrue(os.path.exists(os.path.join(self.root, path)), path)
        with open(os.path.join(self.root, "usr/share/icons/hicolor/48x48/apps/quasarine.png"), "rb") as f:
            self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n")
        with open(os.path.join(self.root, "usr/share/applications/quasarine.desktop")) as f:
            entry = f.read()
        self.assertIn("Exec=quasarine", entry)
        self.assertIn("Icon=quasarine", entry)
        validation = subprocess.run(["desktop-file-validate", self.desktop_entry_path()],
                                    capture_output=True, text=True, timeout=60)
        self.assertEqual(validation.returncode, 0, validation.stdout + validation.stderr)

    def desktop_entry_path(self):
        return os.path.join(self.root, "usr/share/applications/quasarine.desktop")

    def speakers_action(self):
        """The installed entry's action: its name and command line."""
        entry = configparser.ConfigParser(interpolation=None)
        entry.optionxform = str
        entry.read(self.desktop_entry_path())
        self.assertIn("visualize-speakers", entry["Desktop Entry"]["Actions"].split(";"))
        action = entry[SPEAKERS_ACTION]
        return action["Name"], shlex.split(action["Exec"])

    def test_speakers_action_records_the_default_output_with_a_microphone_as_default_source(self):
        name, command = self.speakers_action()
        self.assertEqual(name, "Visualize the speakers")
        default_source = pactl("get-default-source")
        module = pactl("load-module", "module-null-source", f"source_name={MICROPHONE}")
        stop = threading.Event()
        player = harness.play_tone_until(stop)
        try:
            pactl("set-default-source", MICROPHONE)
            # The speakers play, yet the default recording device hears nothing of it.
            self.assertTrue(harness.wait_until(lambda: harness.peak_level(harness.record_monitor()) > 1000, 30))
            self.assertLess(harness.peak_level(harness.record("@DEFAULT_SOURCE@")), 50)
            self.assert_action_brings_the_fractal_in(command)
        finally:
            stop.set()
            player.join(timeout=30)
            pactl("set-default-source", default_source)
            pactl("unload-module", module)

    def assert_action_brings_the_fractal_in(self, command):
        env = dict(os.environ, SDL_VIDEO_X11_FORCE_EGL="1",
                   PATH=os.path.join(self.root, "usr/bin") + os.pathsep + os.environ["PATH"])
        process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            window = harness.wait_for_window(harness.WINDOW_TITLE, timeout=60)
            self.assertIsNotNone(window)
            title = harness.embedded_image("title")
            shown = harness.wait_until(lambda: harness.is_fractal(harness.screenshot(window), title), 60)
            self.assertTrue(shown, "the speakers' tone did not bring the fractal in")
            harness.key(window[0], "Escape")
            self.assertEqual(harness.finish(process, timeout=30), 0)
        finally:
            harness.finish(process, timeout=1)

    def test_depends_on_the_runtime_libraries_and_apt_can_install_it(self):
        depends = subprocess.run(["dpkg-deb", "-f", self.deb, "Depends"], capture_output=True,
                                 text=True, check=True).stdout
        for library in ["libsdl2", "libglew", "libportaudio2", "libkissfft", "libpulse0"]:
            self.assertIn(library, depends)
        simulation = subprocess.run(["apt-get", "install", "--simulate", "-y", self.deb],
                                    capture_output=True, text=True, timeout=120)
        self.assertEqual(simulation.returncode, 0, simulation.stderr)

    def test_installed_program_starts_and_quits(self):
        process = subprocess.Popen([os.path.join(self.root, "usr/bin/quasarine")],
                                   env=dict(os.environ, SDL_VIDEO_X11_FORCE_EGL="1"),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        window = harness.wait_for_window(harness.WINDOW_TITLE, timeout=60)
        self.assertIsNotNone(window)
        title = harness.embedded_image("title")
        self.assertTrue(harness.wait_until(lambda: harness.matches_image(harness.screenshot(window), title) > 0.9, 60))
        harness.key(window[0], "Escape")
        self.assertEqual(harness.finish(process), 0)


if __name__ == "__main__":
    unittest.main()
