"""The Windows installer (build-windows/quasarine-1.0-windows-x64-setup.exe) under Wine, each test in a
fresh Wine prefix with a private home, with the test display and the private PulseAudio server:
silent per-user and all-users installs, /D= folders, the optional desktop shortcut, installing over an
earlier install, the interactive installer driven with the keyboard past the licence page, the
installed program playing the demo track, the licences installed with it, Quasarine in the "Open with"
lists of the song types beside another player that stays their default, and the uninstaller leaving
nothing but the user's settings and the other player's entries."""
import glob
import os
import re
import shlex
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "system"))
import harness  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
WINDOWS_BUILD = os.path.join(ROOT, "build-windows")
SETUP = os.path.join(WINDOWS_BUILD, "quasarine-1.0-windows-x64-setup.exe")
ZIP = os.path.join(WINDOWS_BUILD, "quasarine-1.0-windows-x64.zip")
DIST = os.path.join(WINDOWS_BUILD, "dist")
WINE = shutil.which("wine64") or "/usr/lib/wine/wine64"
WINESERVER = shutil.which("wineserver") or "/usr/lib/wine/wineserver"
UNINSTALL_KEY = r"Software\Microsoft\Windows\CurrentVersion\Uninstall\Quasarine"
START_MENU = r"Microsoft\Windows\Start Menu\Programs"
SHORTCUTS = {"Quasarine.lnk": "", "Quasarine - Visualize the speakers.lnk": "--viz --speakers"}
ROOTS = {"HKCU": "HKEY_CURRENT_USER", "HKLM": "HKEY_LOCAL_MACHINE"}
# A value line of reg query: name, type and data, four spaces apart.
REG_VALUE = re.compile(r"^\s+(.+?)\s{4}(REG_\w+)\s{4}(.*)$")
# The song types of the package's FFmpeg, each offered with Quasarine in Explorer's "Open with".
SONG_TYPES = (".mp3", ".flac", ".ogg", ".oga", ".opus", ".wav", ".aac", ".m4a", ".mka", ".aif", ".aiff")
APPLICATION = r"Applications\quasarine.exe"
PROGID = "Quasarine.AudioFile"
OPEN_WITH_KEYS = (APPLICATION, PROGID) + SONG_TYPES
# Another player, already the default program of .mp3 and in its "Open with" list, in both hives.
OTHER_PLAYER = "Another.Player"
OTHER_PLAYER_MP3 = {"": {"(Default)": OTHER_PLAYER}, "openwithprogids": {OTHER_PLAYER: ""}}


def files_under(folder):
    """The relative paths (with /) of the files under folder."""
    return {os.path.relpath(os.path.join(top, name), folder).replace(os.sep, "/")
            for top, _, names in os.walk(folder) for name in names}


PROGRAM_FILES = {name.lower() for name in files_under(DIST)} | {"uninstall.exe"}
# Wine draws through llvmpipe and translates every call: generous deadlines, checked on conditions.
WINDOW_DEADLINE = 90.0
SOUND_DEADLINE = 60.0
WINE_DEADLINE = 600


def read_shortcut(path):
    """A Windows shell link's target (its local base path), arguments, working folder and icon."""
    with open(path, "rb") as f:
        data = f.read()

    def number(at, size):
        return int.from_bytes(data[at:at + size], "little")

    assert number(0, 4) == 0x4C, path + " is no shell link"
    flags, icon_index = number(20, 4), number(56, 4)
    at = 76
    if flags & 0x1:  # an item list, which the link info repeats as a path
        at += 2 + number(at, 2)
    target = None
    if flags & 0x2:
        base = at + number(at + 16, 4)
        target = data[base:data.index(b"\0", base)].decode("latin-1")
        at += number(at, 4)
    strings = {}
    for bit, name in ((0x4, "description"), (0x8, "relative"), (0x10, "folder"), (0x20, "arguments"),
                      (0x40, "icon")):
        if flags & bit:
            count = number(at, 2)
            width = 2 if flags & 0x80 else 1
            strings[name] = data[at + 2:at + 2 + count * width].decode(
                "utf-16-le" if width == 2 else "latin-1").rstrip("\0")
            at += 2 + count * width
    return {"target": target, "arguments": strings.get("arguments", ""), "folder": strings.get("folder"),
            "icon": strings.get("icon"), "icon_index": icon_index}


def icon_images(path):
    """The icon images (RT_ICON resources) a PE file holds, as a set of their bytes."""
    scratch = tempfile.mkdtemp()
    try:
        subprocess.run(["wrestool", "-x", "--raw", "-t", "3", "-o", scratch, path], check=True,
                       capture_output=True, timeout=60)
        images = set()
        for name in os.listdir(scratch):
            with open(os.path.join(scratch, name), "rb") as f:
                images.add(f.read())
        return images
    finally:
        shutil.rmtree(scratch)


def version_string(path, key):
    """A value of the version resource's string table of a PE file; each key is followed by padding
    and its value, both in UTF-16."""
    raw = subprocess.run(["wrestool", "-x", "--raw", "-t", "16", path], capture_output=True, check=True,
                         timeout=60).stdout
    found = re.search(key + "\0+([^\0]+)", raw.decode("utf-16-le", errors="replace"))
    return found.group(1) if found else None


class Wine:
    """A fresh Wine prefix in a private home, so that nothing reaches the host's menus or desktop:
    Wine links the prefix's Desktop and Documents into the home, and winemenubuilder (kept off, as
    it would be on any machine where the user does not want Windows programs in the Linux menus)
    writes its entries under the XDG folders."""

    def __init__(self):
        self.home = tempfile.mkdtemp(prefix="quasarine-installer-")
        os.makedirs(os.path.join(self.home, "Desktop"))
        self.prefix = os.path.join(self.home, "prefix")
        self.env = dict(os.environ, HOME=self.home, XDG_DATA_HOME=os.path.join(self.home, ".local", "share"),
                        XDG_CONFIG_HOME=os.path.join(self.home, ".config"), WINEPREFIX=self.prefix,
                        WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        self.run("wineboot", "--init", display=False)
        self.run("reg", "add", r"HKLM\SYSTEM\CurrentControlSet\Control\GraphicsDrivers", "/f")
        self.wait()
        self.user = next(os.path.basename(p) for p in glob.glob(os.path.join(self.prefix, "drive_c", "users", "*"))
                         if os.path.basename(p) != "Public")

    def run(self, *args, display=True):
        env = self.env if display else dict(self.env, DISPLAY="")
        return subprocess.run([WINE, *args], env=env, capture_output=True, text=True, errors="replace",
                              timeout=WINE_DEADLINE)

    def wait(self):
        """Until every Wine process of the prefix has ended (uninstallers return before they work)."""
        subprocess.run([WINESERVER, "-w"], env=self.env, check=True, timeout=WINE_DEADLINE)

    def close(self):
        subprocess.run([WINESERVER, "-k"], env=self.env, check=False, timeout=60)
        shutil.rmtree(self.home, ignore_errors=True)

    def command_line(self, line):
        """Runs a command line as typed in a command prompt: unlike wine's own arguments, which it
        quotes, an unquoted /D= folder with spaces reaches the installer as it would on Windows."""
        self.batch(line)
        self.wait()

    def batch(self, *lines):
        """Runs lines as one batch file in a command prompt (one Wine start for them all); returns what
        they printed."""
        with open(os.path.join(self.prefix, "drive_c", "quasarine-test.bat"), "w", newline="\r\n") as f:
            f.write("@echo off\n" + "\n".join(lines) + "\n")
        return self.run("cmd", "/c", r"C:\quasarine-test.bat").stdout

    def install(self, options=""):
        self.command_line(f'"{self.windows_path(SETUP)}" /S {options}'.rstrip())

    def windows_path(self, unix_path):
        return self.run("winepath", "-w", unix_path).stdout.strip()

    def unix(self, windows_path):
        """The host path of a C: path."""
        self.assert_on_c(windows_path)
        return os.path.join(self.prefix, "drive_c", *windows_path[3:].split("\\"))

    @staticmethod
    def assert_on_c(windows_path):
        if not windows_path.lower().startswith("c:\\"):
            raise AssertionError(windows_path + " is not on C:")

    def user_folder(self, *parts):
        return os.path.join(self.prefix, "drive_c", "users", self.user, *parts)

    def registry(self, root):
        """The uninstall entry's values under root (HKCU or HKLM), or None without an entry."""
        result = self.run("reg", "query", root + "\\" + UNINSTALL_KEY)
        if result.returncode != 0:
            return None
        values = {}
        for line in result.stdout.splitlines():
            m = REG_VALUE.match(line)
            if m:
                name, kind, value = m.groups()
                values[name] = int(value, 16) if kind == "REG_DWORD" else value
        return values

    def classes(self, keys):
        """Each key under Software\\Classes of HKCU and of HKLM, by (root, key): None where it is missing,
        else the values of it and of those of its subkeys that hold any, by subkey path in lower case
        ("" for the key itself)."""
        lines = []
        for root in ROOTS:
            for key in keys:
                lines += [f"echo ::{root} {key}", f'reg query "{root}\\Software\\Classes\\{key}" /s',
                          "if errorlevel 1 echo ::missing"]
        found, current, prefix, subkey = {}, None, "", ""
        for line in self.batch(*lines).splitlines():
            value = REG_VALUE.match(line)
            if line == "::missing":
                found[current] = None
            elif line.startswith("::"):
                root, key = line[2:].split(" ", 1)
                current, prefix, subkey = (root, key), rf"{ROOTS[root]}\Software\Classes\{key}".lower(), ""
                found[current] = {}
            elif line.lower().startswith(prefix):
                subkey = line[len(prefix):].lstrip("\\").lower()
            elif value:
                found[current].setdefault(subkey, {})[value.group(1)] = value.group(3)
        return found

    def add_other_player(self):
        self.batch(*(line for root in ROOTS for line in (
            rf'reg add "{root}\Software\Classes\.mp3" /ve /d {OTHER_PLAYER} /f',
            rf'reg add "{root}\Software\Classes\.mp3\OpenWithProgids" /v {OTHER_PLAYER} /d "" /f')))


class SetupFile(unittest.TestCase):
    def test_setup_is_an_x64_program_with_the_icon_and_version_beside_the_zip(self):
        self.assertTrue(os.path.isfile(ZIP), "the zip no longer sits beside the installer")
        header = subprocess.run(["x86_64-w64-mingw32-objdump", "-f", SETUP], capture_output=True, text=True,
                                check=True).stdout
        self.assertIn("file format pei-x86-64", header)
        program_icon = icon_images(os.path.join(DIST, "quasarine.exe"))
        self.assertEqual(len(program_icon), 4)
        self.assertEqual(icon_images(SETUP), program_icon, "the installer's icon is not the program's")
        self.assertEqual(version_string(SETUP, "ProductName"), "Quasarine")
        self.assertEqual(version_string(SETUP, "ProductVersion"), "1.0")


class Installer(unittest.TestCase):
    # A registry comparison that fails shows every key, not the first characters of each side.
    maxDiff = None

    def setUp(self):
        self.wine = Wine()
        self.wine.add_other_player()
        self.process = None

    def tearDown(self):
        if self.process is not None and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.wine.close()

    def start_menu(self, all_users):
        if all_users:
            return os.path.join(self.wine.prefix, "drive_c", "ProgramData", *START_MENU.split("\\"))
        return self.wine.user_folder("AppData", "Roaming", *START_MENU.split("\\"))

    def desktop_link(self):
        return self.wine.user_folder("Desktop", "Quasarine.lnk")

    def settings_file(self):
        return self.wine.user_folder("AppData", "Roaming", "Quasarine", "settings")

    def per_user_folder(self):
        return rf"C:\users\{self.wine.user}\AppData\Local\Programs\Quasarine"

    def assert_shortcut(self, path, folder, arguments):
        self.assertTrue(os.path.isfile(path), path + " is missing")
        link = read_shortcut(path)
        program = folder + r"\quasarine.exe"
        self.assertEqual(link["target"].lower(), program.lower(), path)
        self.assertEqual(link["arguments"], arguments, path)
        self.assertEqual(link["folder"].lower(), folder.lower(), path)
        self.assertEqual((link["icon"].lower(), link["icon_index"]), (program.lower(), 0), path)
        return link

    def assert_installed(self, folder, all_users):
        """The program's files in folder, the two Start-menu shortcuts to them and the one uninstall
        entry of the mode, with its values; returns the entry."""
        host_folder = self.wine.unix(folder)
        self.assertTrue(os.path.isdir(host_folder), folder + " was not made")
        self.assertEqual({name.lower() for name in files_under(host_folder)}, PROGRAM_FILES)
        for name in files_under(DIST):
            with open(os.path.join(DIST, name), "rb") as built, open(os.path.join(host_folder, name), "rb") as put:
                self.assertEqual(built.read(), put.read(), name + " differs from the build")
        with open(os.path.join(ROOT, "LICENSE"), "rb") as f, open(os.path.join(host_folder, "LICENSE.txt"), "rb") as put:
            self.assertEqual(put.read(), f.read(), "the program's licence is not installed")
        self.assertTrue(os.path.isfile(os.path.join(host_folder, "licenses", "ffmpeg.txt")),
                        "the libraries' licences are not installed")
        self.assertEqual(icon_images(os.path.join(host_folder, "uninstall.exe")),
                         icon_images(os.path.join(DIST, "quasarine.exe")), "the uninstaller lacks the icon")
        menu = self.start_menu(all_users)
        self.assertEqual({n for n in os.listdir(menu) if "quasarine" in n.lower()}, set(SHORTCUTS))
        for name, arguments in SHORTCUTS.items():
            self.assert_shortcut(os.path.join(menu, name), folder, arguments)
        root, other = ("HKLM", "HKCU") if all_users else ("HKCU", "HKLM")
        self.assertIsNone(self.wine.registry(other), f"an install in this mode wrote an entry under {other}")
        entry = self.wine.registry(root)
        self.assertIsNotNone(entry, f"no uninstall entry under {root}")
        uninstaller = folder + r"\uninstall.exe"
        self.assertEqual(entry, {
            "DisplayName": "Quasarine", "DisplayVersion": "1.0", "Publisher": "Quasarine developers",
            "DisplayIcon": folder + r"\quasarine.exe,0", "InstallLocation": folder,
            "UninstallString": f'"{uninstaller}"', "QuietUninstallString": f'"{uninstaller}" /S',
            "EstimatedSize": entry.get("EstimatedSize"), "NoModify": 1, "NoRepair": 1})
        installed_kib = sum(os.path.getsize(os.path.join(host_folder, n)) for n in files_under(host_folder)) / 1024
        self.assertAlmostEqual(entry["EstimatedSize"], installed_kib, delta=installed_kib * 0.01)
        self.assert_open_with(root, folder)
        return entry

    def assert_open_with(self, root, folder):
        """Quasarine in the "Open with" lists of the song types under root alone (None: nowhere), and
        the other player's entries unchanged: no extension's default value is written."""
        expected = {(r, key): None for r in ROOTS for key in OPEN_WITH_KEYS}
        expected.update({(r, ".mp3"): OTHER_PLAYER_MP3 for r in ROOTS})
        if root is not None:
            command = rf'"{folder}\quasarine.exe" "%1"'
            expected[(root, APPLICATION)] = {"": {"FriendlyAppName": "Quasarine"},
                                             r"shell\open\command": {"(Default)": command},
                                             "supportedtypes": {song_type: "" for song_type in SONG_TYPES}}
            expected[(root, PROGID)] = {"": {"(Default)": "Song"},
                                        "defaulticon": {"(Default)": folder + r"\quasarine.exe,0"},
                                        r"shell\open\command": {"(Default)": command}}
            for song_type in SONG_TYPES:
                expected[(root, song_type)] = {"openwithprogids": {PROGID: ""}}
            expected[(root, ".mp3")] = {"": {"(Default)": OTHER_PLAYER},
                                        "openwithprogids": {OTHER_PLAYER: "", PROGID: ""}}
        # One CI run read an incomplete listing that no rerun reproduced; a fault of the installer stays
        # on every read, so the listing is read again for a while before it is compared.
        harness.wait_until(lambda: self.wine.classes(OPEN_WITH_KEYS) == expected, 60, 2)
        self.assertEqual(self.wine.classes(OPEN_WITH_KEYS), expected)

    def uninstall(self, entry):
        """Runs the entry's quiet uninstall command as "Apps and features" would."""
        self.wine.command_line(entry["QuietUninstallString"])

    def assert_removed(self, folder, all_users):
        self.assertFalse(os.path.exists(self.wine.unix(folder)), folder + " is still there")
        menu = self.start_menu(all_users)
        self.assertEqual([n for n in os.listdir(menu) if "quasarine" in n.lower()], [], "shortcuts are left")
        self.assertFalse(os.path.exists(self.desktop_link()), "the desktop shortcut is left")
        self.assertIsNone(self.wine.registry("HKLM"))
        self.assertIsNone(self.wine.registry("HKCU"))
        self.assert_open_with(None, folder)

    def assert_host_menus_untouched(self):
        made = []
        for top, folders, files in os.walk(self.wine.home):
            if top == self.wine.home:
                folders.remove("prefix")
            made += [os.path.join(top, f) for f in files if f.endswith((".desktop", ".menu", ".directory"))]
        made += glob.glob(os.path.join(self.wine.env["XDG_DATA_HOME"], "icons", "**", "*.png"), recursive=True)
        self.assertEqual(made, [], "Wine wrote menu entries for the host")

    def start_from_shortcut(self, path):
        """Starts what a shortcut names, in its working folder; returns the program's window."""
        link = read_shortcut(path)
        self.process = subprocess.Popen([WINE, link["target"], *shlex.split(link["arguments"])],
                                        cwd=self.wine.unix(link["folder"]), env=self.wine.env,
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        window = harness.wait_for_window(harness.WINDOW_TITLE, WINDOW_DEADLINE)
        self.assertIsNotNone(window, "the installed program opened no window")
        return window

    def choose_a_source(self, window):
        """Steps the selector up until a source opens, which the program then keeps in its settings file;
        a source that fails (the Speakers under a Wine without loopback capture) names itself so."""
        def failing():
            return harness.source_name_has_glyphs(harness.screenshot(window), len("No Audio Input Device"))

        for _ in range(3):
            harness.key(window[0], "Up")
            harness.wait_until(lambda: os.path.exists(self.settings_file()) or failing(), 30.0)
            if os.path.exists(self.settings_file()):
                return
        self.fail("no source chosen with Up was kept in %APPDATA%\\Quasarine")

    def test_per_user_install_runs_and_uninstalls_keeping_the_settings(self):
        self.wine.install()
        folder = self.per_user_folder()
        entry = self.assert_installed(folder, all_users=False)
        self.assertFalse(os.path.exists(self.desktop_link()), "the desktop shortcut is on by default")

        window = self.start_from_shortcut(os.path.join(self.start_menu(False), "Quasarine.lnk"))
        self.choose_a_source(window)
        harness.key(window[0], "space")
        heard = harness.wait_until(lambda: harness.peak_level(harness.record_monitor(1.0)) > 1000, SOUND_DEADLINE)
        self.assertTrue(heard, "the demo track is not heard on the sink's monitor")
        harness.key(window[0], "Escape")
        self.assertEqual(harness.finish(self.process, timeout=60), 0)
        self.wine.wait()
        with open(self.settings_file(), "rb") as f:
            settings = f.read()

        self.uninstall(entry)
        self.assert_removed(folder, all_users=False)
        with open(self.settings_file(), "rb") as f:
            self.assertEqual(f.read(), settings, "the uninstaller touched the settings")
        self.assert_host_menus_untouched()

    def test_all_users_install_in_program_files_and_in_a_folder_given(self):
        for options, folder in (("/AllUsers", r"C:\Program Files\Quasarine"),
                                (r"/AllUsers /D=C:\Program Files\Music Visualizers\Quasarine 1.0",
                                 r"C:\Program Files\Music Visualizers\Quasarine 1.0")):
            with self.subTest(options=options):
                self.wine.install(options)
                entry = self.assert_installed(folder, all_users=True)
                self.uninstall(entry)
                self.assert_removed(folder, all_users=True)
        self.assert_host_menus_untouched()

    def test_per_user_folder_given_and_the_desktop_shortcut(self):
        folder = rf"C:\users\{self.wine.user}\My Programs\Quasarine Visualizer"
        self.wine.install(f"/DesktopShortcut /D={folder}")
        entry = self.assert_installed(folder, all_users=False)
        self.assert_shortcut(self.desktop_link(), folder, "")
        self.uninstall(entry)
        self.assert_removed(folder, all_users=False)
        self.assert_host_menus_untouched()

    def test_installing_again_replaces_the_earlier_install(self):
        self.wine.install()
        first = self.per_user_folder()
        self.assert_installed(first, all_users=False)
        self.wine.install()
        self.assert_installed(first, all_users=False)

        # Into another folder: the earlier install goes, so that one entry names one set of files.
        moved = rf"C:\users\{self.wine.user}\Visualizers\Quasarine"
        self.wine.install(f"/D={moved}")
        entry = self.assert_installed(moved, all_users=False)
        self.assertFalse(os.path.exists(self.wine.unix(first)), "the earlier install was left behind")
        self.uninstall(entry)
        self.assert_removed(moved, all_users=False)

    def test_interactive_all_users_install_starts_the_program(self):
        """The pages, driven with their buttons' keys: the licence, all users, the components as
        offered, the folder as offered, Install, and Finish with "Start Quasarine" ticked."""
        self.process = subprocess.Popen([WINE, SETUP], env=self.wine.env, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # NSIS adds a page's caption to the window's name: the licence page's is a space.
        setup = harness.wait_until(lambda: next((w for w in harness.top_windows()
                                                 if w[1].strip() == "Quasarine Setup" and w[2] > 1), None),
                                   WINDOW_DEADLINE)
        self.assertIsNotNone(setup, "the installer opened no window")
        for keys in (["alt+n"], ["alt+a", "alt+n"], ["alt+n"], ["alt+i"]):
            before = harness.screenshot_when_viewable(setup, WINDOW_DEADLINE)
            self.assertIsNotNone(before, "the installer's window could not be read")
            harness.key(setup[0], *keys)

            def page_changed():
                after = harness.screenshot_when_viewable(setup, 5)
                return after is not None and harness.difference_share(before, after) > 0.02

            changed = harness.wait_until(page_changed, WINDOW_DEADLINE)
            self.assertTrue(changed, f"{keys} did not lead to the next page")
        folder = r"C:\Program Files\Quasarine"
        self.assertTrue(harness.wait_until(lambda: self.wine.registry("HKLM"), WINDOW_DEADLINE),
                        "the install did not finish")
        # Finish exists only on the last page, which follows the install by itself: pressed until the
        # installer closes.
        def press_finish():
            if not any(w[0] == setup[0] for w in harness.top_windows()):
                return True
            harness.key(setup[0], "alt+f")
            return False

        finished = harness.wait_until(press_finish, WINDOW_DEADLINE, interval=3.0)
        self.assertTrue(finished, "Finish did not close the installer")
        window = harness.wait_for_window(harness.WINDOW_TITLE, WINDOW_DEADLINE)
        self.assertIsNotNone(window, "Finish did not start Quasarine")
        self.assertEqual(harness.finish(self.process, timeout=60), 0)
        harness.key(window[0], "Escape")
        self.assertTrue(harness.wait_until(lambda: not harness.wait_for_window(harness.WINDOW_TITLE, 0.5),
                                           WINDOW_DEADLINE), "Esc did not end the program")
        self.wine.wait()
        self.assert_installed(folder, all_users=True)
        self.assertFalse(os.path.exists(self.desktop_link()), "the desktop shortcut is on by default")
        self.assertFalse(os.path.exists(self.wine.user_folder("..", "Public", "Desktop", "Quasarine.lnk")))
        self.assert_host_menus_untouched()


if __name__ == "__main__":
    unittest.main()
