"""The Debian package: built as the README says (scripts/deb.sh), its contents, manual page and
dependencies, an apt-get installation dry run, and the installed program started from a scratch
root under the test display, plainly and through the desktop entry's action that visualizes the
speakers; and the manual page that cmake --install puts beside the program."""
import configparser
import gzip
import os
import re
import shlex
import shutil
import subprocess
import tempfile
import threading
import unittest

import debian_package
import harness

BUILD_DIR = os.environ.get("QUASARINE_BUILD_DIR", "")
README = os.path.join(debian_package.SOURCE_DIR, "README.md")
MAN_PAGE = "usr/share/man/man1/quasarine.1.gz"


SPEAKERS_ACTION = "Desktop Action visualize-speakers"
MICROPHONE = "quasarine_microphone"


def readme_table(heading):
    """The rows of the table in README.md's section of that heading, cells without code quotes."""
    with open(README, encoding="utf-8") as f:
        section = f.read().split(f"\n## {heading}\n", 1)[1].split("\n## ", 1)[0]
    rows = [line for line in section.splitlines() if line.startswith("|")][2:]
    return [[cell.strip().replace("`", "") for cell in row.strip().strip("|").split("|")] for row in rows]


def rendered_manual(path):
    """The manual page as man shows it, in ASCII with its white space collapsed (wide enough that
    no word is hyphenated), and man's warnings about it."""
    result = subprocess.run(["man", "--warnings", "-E", "ascii", "-l", path], capture_output=True,
                            text=True, timeout=60, env=dict(os.environ, MANWIDTH="2000", LC_ALL="C"))
    return " ".join(result.stdout.split()), result.stderr


def assert_manual_follows_the_readme(test, path):
    text, warnings = rendered_manual(path)
    test.assertEqual(warnings, "")
    for heading in ["Options", "Keys and mouse", "Exit codes"]:
        for row in readme_table(heading):
            test.assertIn(" ".join(" ".join(row).split()), text, heading)
    for environment in ["PULSE_SOURCE", "PULSE_SERVER", "XDG_CONFIG_HOME", "DISPLAY"]:
        test.assertRegex(text, rf"ENVIRONMENT .*\b{environment}\b")
    test.assertIn("quasarine --viz --speakers", text)


def pactl(*args):
    return subprocess.run(["pactl", *args], capture_output=True, text=True, check=True, timeout=30).stdout.strip()


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.deb = debian_package.build_package()
        cls.scratch = tempfile.mkdtemp(prefix="quasarine-package.")
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

    def test_manual_page_shows_every_option_key_and_exit_code_of_the_readme(self):
        assert_manual_follows_the_readme(self, os.path.join(self.root, MAN_PAGE))

    def test_documents_its_copyright_and_changelog(self):
        with open(os.path.join(self.root, "usr/share/doc/quasarine/copyright"), encoding="utf-8") as f:
            copyright_file = f.read()
        self.assertIn("Upstream-Name: Quasarine", copyright_file)
        self.assertIn("Files: *", copyright_file)
        version = subprocess.run(["dpkg-deb", "-f", self.deb, "Version"], capture_output=True,
                                 text=True, check=True).stdout.strip()
        with gzip.open(os.path.join(self.root, "usr/share/doc/quasarine/changelog.Debian.gz"), "rt") as f:
            self.assertRegex(f.readline(), rf"^quasarine \({re.escape(version)}\) ")

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
            shown = harness.wait_for_fractal(window, title)
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


class Installation(unittest.TestCase):
    def test_cmake_install_puts_the_manual_page_beside_the_program(self):
        with tempfile.TemporaryDirectory(prefix="quasarine-install.") as prefix:
            subprocess.run(["cmake", "--install", BUILD_DIR, "--prefix", prefix], check=True,
                           capture_output=True, timeout=300)
            self.assertTrue(os.access(os.path.join(prefix, "bin/quasarine"), os.X_OK))
            assert_manual_follows_the_readme(self, os.path.join(prefix, "share/man/man1/quasarine.1.gz"))
            self.assertTrue(os.path.exists(os.path.join(prefix, "share/doc/quasarine/copyright")))
            # Debian's changelog and lintian overrides are the Debian package's alone.
            self.assertFalse(os.path.exists(os.path.join(prefix, "share/doc/quasarine/changelog.Debian.gz")))
            self.assertFalse(os.path.exists(os.path.join(prefix, "share/lintian")))


if __name__ == "__main__":
    unittest.main()
