"""The packaged Windows program (build-windows/dist) under Wine, in a fresh Wine prefix, with the
test display and the private PulseAudio server: window, screens, demo track, capture, the source
selector, the Speakers entry failing cleanly (this Wine has no loopback capture), the driver-timeout
guard in the real registry, a start without any audio device, and a song rendered into an MP4 through
the bundled FFmpeg."""
import array
import glob
import json
import math
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import wave

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "system"))
import harness  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
WINDOWS_BUILD = os.path.join(ROOT, "build-windows")
EXE = os.path.join(WINDOWS_BUILD, "dist", "quasarine.exe")
CROSS_IMAGES = os.path.join(WINDOWS_BUILD, "cross", "assets", "images")
WINE = shutil.which("wine64") or "/usr/lib/wine/wine64"
WINESERVER = shutil.which("wineserver") or "/usr/lib/wine/wineserver"
KEY = r"HKLM\SYSTEM\CurrentControlSet\Control\GraphicsDrivers"
SENTINEL = "QORB_SENTINEL_TdrDelay"
# Wine draws through llvmpipe and translates every call: generous deadlines, checked on conditions.
WINDOW_DEADLINE = 90.0
PICTURE_DEADLINE = 60.0
RENDER_DEADLINE = 300.0

prefix = None


def wine_env(extra=None):
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    env.update(extra or {})
    return env


def setUpModule():
    global prefix
    prefix = tempfile.mkdtemp(prefix="quasarine-wine-")
    subprocess.run(["bash", "-c", f'source "{ROOT}/scripts/windows/common.sh" && make_wine_prefix "$0"',
                    prefix], check=True, timeout=600)


def tearDownModule():
    subprocess.run([WINESERVER, "-k"], env=wine_env(), check=False, timeout=60)
    shutil.rmtree(prefix, ignore_errors=True)


def reg(*args):
    return subprocess.run([WINE, "reg", *args], env=wine_env(), capture_output=True, text=True,
                          timeout=120)


def registry_value(name):
    """A DWORD of the graphics-driver key, or None when the value (or the key) is absent."""
    result = reg("query", KEY, "/v", name)
    for line in result.stdout.splitlines():
        parts = line.split()
        if result.returncode == 0 and len(parts) == 3 and parts[0] == name:
            return int(parts[2], 16)
    return None


def key_exists():
    return reg("query", KEY).returncode == 0


def set_registry_value(name, value):
    if value is None:
        reg("delete", KEY, "/v", name, "/f")
    else:
        reg("add", KEY, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f")


TITLE = harness.embedded_image("title", images=CROSS_IMAGES)


def is_fractal(shot):
    return harness.is_fractal(shot, TITLE)


def reads(text):
    """A test of a screenshot: the title screen's source name is as long as text."""
    return lambda shot: harness.source_name_has_glyphs(shot, len(text))


class WindowsPackage(unittest.TestCase):
    process = None
    window = None

    def launch(self, args=(), env_extra=None):
        # The program keeps the source chosen last under %APPDATA%; each start begins without one.
        for folder in glob.glob(os.path.join(prefix, "drive_c", "users", "*", "AppData", "Roaming",
                                             "Quasarine")):
            shutil.rmtree(folder)
        self.process = subprocess.Popen([WINE, EXE, *args], env=wine_env(env_extra),
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.window = harness.wait_for_window(harness.WINDOW_TITLE, WINDOW_DEADLINE)
        self.assertIsNotNone(self.window, "no program window appeared under Wine")

    def tearDown(self):
        if self.process is not None and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
            subprocess.run([WINESERVER, "-k"], env=wine_env(), check=False, timeout=60)

    def shot(self):
        return harness.screenshot(self.window)

    def wait_for_picture(self, condition, timeout=PICTURE_DEADLINE):
        return harness.wait_until(lambda: (lambda s: s if condition(s) else None)(self.shot()), timeout)

    def quit_with_esc(self):
        harness.key(self.window[0], "Escape")
        self.assertEqual(harness.finish(self.process, timeout=60), 0)

    def test_window_title_help_and_controls(self):
        self.launch()
        self.assertEqual(self.window[2:], (960, 540, 480, 270))
        title = self.wait_for_picture(lambda s: harness.matches_image(s, TITLE) > 0.9)
        self.assertTrue(title, "the title screen did not show")
        harness.key(self.window[0], "h")
        help_image = harness.embedded_image("help", 1920, 1080, shrink=2, images=CROSS_IMAGES)
        self.assertTrue(self.wait_for_picture(lambda s: harness.matches_image(s, help_image, 60) > 0.7),
                        "H did not show the help screen")
        harness.key(self.window[0], "c")
        controls = harness.embedded_image("controls", images=CROSS_IMAGES)
        self.assertTrue(self.wait_for_picture(lambda s: harness.matches_image(s, controls) > 0.98),
                        "C did not show the controls guide")
        # F12 saves the guide into the Pictures known folder, which Wine may link to the host's.
        harness.key(self.window[0], "F12")
        pattern = os.path.join(prefix, "drive_c", "users", "*", "Pictures", "Quasarine", "quasarine-*.png")
        saved = harness.wait_until(lambda: glob.glob(pattern), PICTURE_DEADLINE)
        self.assertTrue(saved, "F12 saved no picture")
        for path in saved:
            self.addCleanup(os.remove, path)
        size = subprocess.run(["identify", "-format", "%w %h", saved[0]], capture_output=True, text=True,
                              timeout=60).stdout
        self.assertEqual(size, "960 540")
        harness.key(self.window[0], "c")
        self.assertTrue(self.wait_for_picture(lambda s: harness.matches_image(s, TITLE) > 0.9),
                        "C again did not return to the title screen")
        self.quit_with_esc()

    def test_full_screen_covers_the_desktop(self):
        self.launch(["-f"])
        covered = harness.wait_until(
            lambda: (harness.wait_for_window(harness.WINDOW_TITLE, 5) or (0,) * 6)[2:] == (1920, 1080, 0, 0),
            30.0)
        self.assertTrue(covered, "the full-screen window does not cover 1920x1080")
        self.quit_with_esc()

    def test_demo_track_screen_saver_and_stop(self):
        self.launch()
        harness.key(self.window[0], "space")
        self.assertTrue(self.wait_for_picture(is_fractal), "the demo track did not bring the fractal in")
        self.assertGreater(harness.peak_level(harness.record_monitor(1.5)), 1000,
                           "the demo track is not heard on the sink's monitor")

        harness.key(self.window[0], "Tab")
        quiet = harness.wait_until(lambda: harness.peak_level(harness.record_monitor(1.0)) < 50, 20.0)
        self.assertTrue(quiet, "screen-saver mode must be silent")
        first = self.shot()
        moved = harness.wait_until(lambda: harness.difference_share(first, self.shot()) > 0.05, 20.0)
        self.assertTrue(moved, "the picture stopped in screen-saver mode")
        # A morph passes through dark frames: wait for a full picture rather than look once.
        self.assertTrue(self.wait_for_picture(is_fractal, 20.0), "the fractal left in screen-saver mode")

        harness.key(self.window[0], "space")
        loud = harness.wait_until(lambda: harness.peak_level(harness.record_monitor(1.0)) > 1000, 20.0)
        self.assertTrue(loud, "Space in screen-saver mode did not make the track audible")
        harness.key(self.window[0], "space")
        quiet = harness.wait_until(lambda: harness.peak_level(harness.record_monitor(1.0)) < 50, 20.0)
        self.assertTrue(quiet, "Space again did not stop the sound")
        self.quit_with_esc()

    def test_a_tone_on_the_default_recording_device_brings_the_fractal_in(self):
        player = harness.play_into_sink()
        try:
            self.launch(["-v"])
            deadline = time.time() + PICTURE_DEADLINE
            shown = False
            while time.time() < deadline and not shown:
                player.stdin.write(harness.tone(1.0))
                player.stdin.flush()
                shown = is_fractal(self.shot())
            self.assertTrue(shown, "the captured tone did not bring the fractal in")
        finally:
            harness.stop_player(player)
        self.quit_with_esc()

    def test_selector_steps_through_the_capture_devices(self):
        self.launch()
        self.assertTrue(self.wait_for_picture(lambda s: harness.source_name_has_glyphs(
            s, len("Default Recording Device"))), "the title does not name the default device")
        default_name = harness.source_name_columns(self.shot())
        names = [default_name]
        for _ in range(12):
            harness.key(self.window[0], "Up")
            time.sleep(1.0)
            self.assertIsNone(self.process.poll(), "the program ended while stepping up")
            names.append(harness.source_name_columns(self.shot()))
        self.assertNotEqual(names[1], default_name, "Up did not change the name drawn")
        self.assertGreater(len({tuple(n) for n in names}), 2, "Up did not step through several devices")
        # Down retraces the steps; the default device is the one below the first.
        back = False
        for _ in range(13):
            harness.key(self.window[0], "Down")
            back = self.wait_for_picture(lambda s: harness.source_name_columns(s) == default_name, 3.0)
            if back:
                break
        self.assertTrue(back, "Down did not return to the default recording device")
        self.quit_with_esc()

    def test_speakers_without_loopback_capture_fail_cleanly_and_the_devices_stay_reachable(self):
        # This Wine has no loopback capture: the Speakers entry reads as a device that fails.
        self.launch(["--speakers"])
        no_device = reads("No Audio Input Device")
        self.assertTrue(self.wait_for_picture(no_device), 'Speakers do not read "No Audio Input Device"')
        harness.key(self.window[0], "Up")
        self.assertTrue(self.wait_for_picture(reads("Default Recording Device")),
                        "Up did not reach the default device")
        harness.key(self.window[0], "Up")
        self.assertTrue(self.wait_for_picture(no_device), "Up did not reach the failing Speakers entry")
        harness.key(self.window[0], "Up")
        self.assertTrue(self.wait_for_picture(lambda s: not no_device(s) and harness.source_name_columns(s)),
                        "the devices beyond the failing Speakers entry are out of reach")
        self.assertIsNone(self.process.poll())
        self.quit_with_esc()

    def run_with_registry(self):
        """Starts the program, returns the key's state while it runs, quits it."""
        self.launch()
        during = (key_exists(), registry_value("TdrDelay"), registry_value(SENTINEL))
        self.quit_with_esc()
        return during

    def test_guard_raises_a_short_delay_and_restores_it(self):
        set_registry_value("TdrDelay", 2)
        set_registry_value(SENTINEL, None)
        self.assertEqual(self.run_with_registry(), (True, 120, 2))
        self.assertEqual((registry_value("TdrDelay"), registry_value(SENTINEL)), (2, None))

    def test_guard_leaves_an_absent_delay_absent(self):
        set_registry_value("TdrDelay", None)
        set_registry_value(SENTINEL, None)
        self.assertEqual(self.run_with_registry(), (True, 120, 0))
        self.assertEqual((registry_value("TdrDelay"), registry_value(SENTINEL)), (None, None))

    def test_guard_writes_nothing_without_the_key(self):
        reg("delete", KEY, "/f")
        try:
            self.assertEqual(self.run_with_registry(), (False, None, None))
            self.assertFalse(key_exists(), "the guard created the key")
        finally:
            reg("add", KEY, "/f")

    def test_without_an_audio_server_the_title_reads_no_audio_input_device(self):
        self.launch(env_extra={"PULSE_SERVER": "unix:/nonexistent"})
        shown = self.wait_for_picture(lambda s: harness.source_name_has_glyphs(
            s, len("No Audio Input Device")))
        self.assertTrue(shown, 'the title does not read "No Audio Input Device"')
        self.quit_with_esc()


    def test_plays_a_song_named_on_its_command_line(self):
        folder = tempfile.mkdtemp(prefix="quasarine-song-")
        try:
            # A name outside every ANSI code page: only the wide command line carries it whole.
            name = "\u03c4\u03c1\u03b1\u03b3\u03bf\u03cd\u03b4\u03b9.flac"
            subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=60",
                            "-ac", "2", "-ar", "44100", os.path.join(folder, name)], check=True, timeout=60)
            self.process = subprocess.Popen([WINE, EXE, name], cwd=folder, env=wine_env(),
                                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                            stderr=subprocess.DEVNULL)
            self.window = harness.wait_for_window(harness.WINDOW_TITLE, WINDOW_DEADLINE)
            self.assertIsNotNone(self.window, "no program window appeared under Wine")
            heard = harness.wait_until(lambda: harness.peak_level(harness.record_monitor(1.0)) > 1000, 30.0)
            self.assertTrue(heard, "the song is not heard on the sink's monitor")
            self.quit_with_esc()
        finally:
            shutil.rmtree(folder, ignore_errors=True)

    def test_renders_a_song_into_an_mp4(self):
        folder = tempfile.mkdtemp(prefix="quasarine-render-")
        try:
            rate, seconds = 44100, 3
            tone = array.array("h")
            for i in range(rate * seconds):
                sample = int(16000 * math.sin(2 * math.pi * 440 * i / rate))
                tone.extend((sample, sample))
            with wave.open(os.path.join(folder, "song.wav"), "wb") as song:
                song.setnchannels(2)
                song.setsampwidth(2)
                song.setframerate(rate)
                song.writeframes(tone.tobytes())
            # Relative paths: Wine starts the program in this folder (as Z:\...).
            with open(os.path.join(folder, "log.txt"), "w") as log:
                self.process = subprocess.Popen(
                    [WINE, EXE, "--render", "song.wav", "--output", "out.mp4", "--size", "160x90", "--fps", "10"],
                    cwd=folder, env=wine_env(), stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)
                code = self.process.wait(timeout=RENDER_DEADLINE)
            with open(os.path.join(folder, "log.txt"), errors="replace") as log:
                self.assertEqual(code, 0, "the render failed:\n" + log.read()[-3000:])

            video = os.path.join(folder, "out.mp4")
            info = json.loads(subprocess.run(
                ["ffprobe", "-v", "error", "-count_frames", "-show_streams", "-of", "json", video],
                capture_output=True, text=True, check=True, timeout=120).stdout)
            streams = {stream["codec_type"]: stream for stream in info["streams"]}
            self.assertEqual(set(streams), {"video", "audio"})
            picture, sound = streams["video"], streams["audio"]
            self.assertEqual((picture["codec_name"], picture["width"], picture["height"], picture["pix_fmt"]),
                             ("h264", 160, 90, "yuv420p"))
            self.assertAlmostEqual(int(picture["nb_read_frames"]), 30, delta=1)
            self.assertEqual(sound["codec_name"], "aac")
            samples = array.array("h", subprocess.run(
                ["ffmpeg", "-v", "error", "-i", video, "-f", "s16le", "-ac", "1", "-"], capture_output=True,
                check=True, timeout=120).stdout)
            self.assertAlmostEqual(len(samples) / int(sound["sample_rate"]), seconds, delta=0.2)
            loud = sum(1 for value in samples if abs(value) > 8000)
            self.assertGreater(loud, len(samples) // 4, "the song's tone is not in the video")
        finally:
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
