"""The Debian package as Debian's own tools see it: lintian finds no error, no warning and no missing
hardening; on a clean Debian 12 root (debootstrap minbase) apt installs it with only what it needs,
its libraries resolve, its menu entry validates, the program ends with status 10 without a
display but renders a song into a video, and apt-get remove leaves no file of it."""
import configparser
import gzip
import os
import re
import shlex
import subprocess
import unittest

import debian_package

DEB = ""
# Tags that lintian may be told to leave out, each justified in the package's override file.
ALLOWED_OVERRIDES = {"initial-upload-closes-no-bugs"}


def setUpModule():
    global DEB
    DEB = debian_package.build_package()


def new_packages(apt_output):
    """The packages that apt-get install reports as newly installed."""
    match = re.search(r"^The following NEW packages will be installed:\n((?:  .*\n)+)", apt_output, re.M)
    return set(match.group(1).split()) if match else set()


def download_size(apt_output):
    """apt's "Need to get" total, already downloaded or not."""
    match = re.search(r"^Need to get (?:\S+ \S+/)?(\S+ \S+) of archives", apt_output, re.M)
    return match.group(1) if match else "nothing"


class Lintian(unittest.TestCase):
    def test_reports_no_error_no_warning_and_no_missing_hardening(self):
        # Errors and warnings are read from the tags: with --show-overrides, lintian's --fail-on
        # counts overridden tags too.
        result = subprocess.run(["lintian", "--pedantic", "--display-info", "--display-experimental",
                                 "--show-overrides", DEB],
                                capture_output=True, text=True, timeout=600)
        tags = [line for line in result.stdout.splitlines() if re.match(r"^[EWIPXO]: ", line)]
        print("\nlintian --pedantic:", *tags or ["(nothing)"], sep="\n  ")
        failing = [tag for tag in tags if tag.startswith(("E:", "W:")) or " hardening-" in tag]
        self.assertEqual(failing, [])
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        overridden = {tag.split()[2] for tag in tags if tag.startswith("O:")}
        self.assertLessEqual(overridden, ALLOWED_OVERRIDES)


class InstalledOnCleanRoot(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = debian_package.ScratchRoot()
        try:
            cls.before = cls.root.packages()
            inside = cls.root.offer(DEB)
            # apt shows what it would install, and its sizes, and installs nothing.
            cls.without_recommends = cls.root.run("apt-get", "install", "--assume-no",
                                                  "--no-install-recommends", inside).stdout
            cls.apt_output = cls.root.install(inside)
        except BaseException:
            cls.root.remove()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.root.remove()

    def test_pulls_in_only_what_the_program_needs(self):
        added = new_packages(self.apt_output)
        bare = new_packages(self.without_recommends)
        print(f"\napt installs quasarine and {len(added) - 1} other packages, {download_size(self.apt_output)}"
              f" to download, onto {len(self.before)}; without any package's Recommends"
              f" {len(bare) - 1} others, {download_size(self.without_recommends)}")
        self.assertIn("quasarine", added)
        # The ALSA plug-ins come with the sound server that needs them, and bring FFmpeg along.
        self.assertNotIn("libasound2-plugins", added)
        # FFmpeg's libraries come for the render of songs into videos.
        self.assertIn("libavcodec59", added)

    def test_every_library_resolves(self):
        ldd = self.root.run("ldd", "/usr/bin/quasarine")
        self.assertEqual(ldd.returncode, 0, ldd.stderr)
        self.assertNotIn("not found", ldd.stdout)
        self.assertIn("libSDL2", ldd.stdout)

    def test_program_ends_with_status_10_without_a_display(self):
        run = self.root.run("quasarine", timeout=120)
        self.assertNotIn("error while loading shared libraries", run.stderr)
        self.assertEqual(run.returncode, 10, run.stderr[-2000:])

    def test_renders_a_song_with_no_display_installed(self):
        self.assertEqual([name for name in self.root.packages() if name.startswith("xserver")], [])
        song = self.root.file("/tmp/song.wav")
        subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=3",
                        "-ac", "2", song], check=True, timeout=60)
        run = self.root.run("quasarine", "--render", "/tmp/song.wav", "--size", "160x90", "--fps", "20",
                            timeout=300)
        self.assertEqual(run.returncode, 0, run.stderr[-2000:])
        probe = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0",
                                "-show_entries", "stream=codec_name,nb_read_frames", "-of", "csv=p=0",
                                self.root.file("/tmp/song.mp4")], capture_output=True, text=True, timeout=60)
        self.assertEqual(probe.stdout.strip(), "h264,60")

    def test_menu_entry_validates_and_its_commands_and_icon_are_installed(self):
        path = self.root.file("/usr/share/applications/quasarine.desktop")
        validation = subprocess.run(["desktop-file-validate", path], capture_output=True, text=True,
                                    timeout=60)
        self.assertEqual(validation.returncode, 0, validation.stdout + validation.stderr)
        entry = configparser.ConfigParser(interpolation=None)
        entry.optionxform = str
        entry.read(path)
        commands = [entry["Desktop Entry"]["Exec"], entry["Desktop Action visualize-speakers"]["Exec"]]
        self.assertEqual(shlex.split(commands[1]), ["quasarine", "--viz", "--speakers"])
        # File managers hand the chosen songs over only through a file field code, and offer the
        # entry only for the types it names.
        self.assertEqual(shlex.split(commands[0]), ["quasarine", "%F"])
        self.assertLessEqual({"audio/flac", "audio/mpeg", "audio/x-wav", "audio/x-vorbis+ogg"},
                             set(entry["Desktop Entry"]["MimeType"].split(";")))
        for command in commands:
            found = self.root.run("sh", "-c", 'command -v "$1"', "sh", shlex.split(command)[0])
            self.assertEqual(found.stdout.strip(), "/usr/bin/quasarine")
        for size in (16, 32, 48):
            with open(self.root.file(f"/usr/share/icons/hicolor/{size}x{size}/apps/"
                                     f"{entry['Desktop Entry']['Icon']}.png"), "rb") as f:
                self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n")

    def test_documents_copyright_changelog_and_manual_page(self):
        with open(self.root.file("/usr/share/doc/quasarine/copyright"), encoding="utf-8") as f:
            self.assertTrue(f.readline().startswith(
                "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"))
        version = self.root.run("dpkg-query", "-W", "-f", "${Version}", "quasarine").stdout
        with gzip.open(self.root.file("/usr/share/doc/quasarine/changelog.Debian.gz"), "rt") as f:
            self.assertTrue(f.readline().startswith(f"quasarine ({version}) "))
        with gzip.open(self.root.file("/usr/share/man/man1/quasarine.1.gz"), "rt") as f:
            self.assertIn(".SH EXIT STATUS", f.read())


class RemovedFromCleanRoot(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = debian_package.ScratchRoot()
        try:
            cls.before = cls.root.packages()
            cls.root.install(cls.root.offer(DEB))
            listing = cls.root.run("dpkg-query", "-L", "quasarine").stdout.splitlines()
            cls.paths = [path for path in listing if path.startswith("/") and path != "/."]
            cls.removal = cls.root.run("apt-get", "remove", "-y", "quasarine")
            cls.left = [path for path in cls.paths if os.path.lexists(cls.root.file(path))]
            cls.status = cls.root.run("dpkg-query", "-W", "-f", "${Status}", "quasarine").stdout
            cls.named = subprocess.run(["find", cls.root.path, "-iname", "*quasarine*", "-not",
                                        "-path", cls.root.file("/tmp") + "/*"],
                                       capture_output=True, text=True, timeout=300).stdout.split()
        except BaseException:
            cls.root.remove()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.root.remove()

    def test_leaves_no_file_and_no_folder_of_its_own(self):
        self.assertEqual(self.removal.returncode, 0, self.removal.stdout + self.removal.stderr)
        self.assertIn("/usr/bin/quasarine", self.paths)
        for path in self.left:
            # A folder that stays belongs to another package.
            self.assertTrue(os.path.isdir(self.root.file(path)), path)
            owner = self.root.run("dpkg-query", "-S", path)
            self.assertEqual(owner.returncode, 0, f"{path} stayed, and no package owns it")

    def test_leaves_nothing_named_after_it(self):
        self.assertEqual(self.removal.returncode, 0, self.removal.stderr)
        # Nothing stays for dpkg either: no configuration files, no half-removed state.
        self.assertTrue(self.status == "" or self.status.endswith(" not-installed"), self.status)
        self.assertEqual(self.named, [])

    def test_autoremove_then_brings_back_the_clean_system(self):
        autoremove = self.root.run("apt-get", "autoremove", "-y")
        self.assertEqual(autoremove.returncode, 0, autoremove.stderr)
        self.assertEqual(self.root.packages(), self.before)

if __name__ == "__main__":
    unittest.main()
