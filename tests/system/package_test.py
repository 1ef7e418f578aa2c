"""The Debian package: built with CPack, its contents and dependencies, an apt-get installation
dry run, and the installed program started from a scratch root under the test display."""
import os
import shutil
import subprocess
import tempfile
import time
import unittest

import harness

BUILD_DIR = os.environ.get("QUASARINE_BUILD_DIR", "")


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

    def test_depends_on_the_runtime_libraries_and_apt_can_install_it(self):
        depends = subprocess.run(["dpkg-deb", "-f", self.deb, "Depends"], capture_output=True,
                                 text=True, check=True).stdout
        for library in ["libsdl2", "libglew", "libportaudio2", "libkissfft"]:
            self.assertIn(library, depends)
        simulation = subprocess.run(["apt-get", "install", "--simulate", "-y", self.deb],
                                    capture_output=True, text=True, timeout=120)
        self.assertEqual(simulation.returncode, 0, simulation.stderr)

    def test_installed_program_starts_and_quits(self):
        process = subprocess.Popen([os.path.join(self.root, "usr/bin/quasarine")],
                                   env=dict(os.environ, SDL_VIDEO_X11_FORCE_EGL="1"),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        window = harness.wait_for_window(harness.WINDOW_TITLE)
        self.assertIsNotNone(window)
        time.sleep(0.5)
        harness.key(window[0], "Escape")
        self.assertEqual(harness.finish(process), 0)


if __name__ == "__main__":
    unittest.main()
