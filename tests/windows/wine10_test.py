"""System tests of the packaged Windows program under Debian trixie's Wine 10 (loopback capture).

Wine 10 runs in the cached root of scripts/windows/wine10_root.sh through run_wine10.sh, with the
test display and the private PulseAudio server. Checked: Wine's version, the program's window, title
screen, demo track and exit, and the Speakers source showing what plays on the default output while
the default recording device is silent, at 44100 and 48000 Hz, and fading out in silence."""
import glob
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "system"))
import harness  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
ROOT_SCRIPT = os.path.join(ROOT, "scripts", "windows", "wine10_root.sh")
RUNNER = os.path.join(ROOT, "scripts", "windows", "run_wine10.sh")
WINDOWS_BUILD = os.path.join(ROOT, "build-windows")
EXE = os.path.join(WINDOWS_BUILD, "dist", "quasarine.exe")
CROSS_IMAGES = os.path.join(WINDOWS_BUILD, "cross", "assets", "images")
# The runner binds the program folder here inside the root.
INSIDE_EXE = "/opt/quasarine/quasarine.exe"
SINK = "quasarine_sink"
# Building the root downloads and unpacks a Debian system: minutes on a busy machine.
ROOT_DEADLINE = 1500
# Wine draws through llvmpipe and translates every call: generous deadlines, checked on conditions.
WINDOW_DEADLINE = 90.0
PICTURE_DEADLINE = 60.0
# The silence detector fades the picture out over some seconds before the title comes back.
FADE_DEADLINE = 90.0

scratch = None
prefix = None
wine_version = None
beat_samples = None


def runner(*args):
    """The runner's command line for a command inside the root, with this module's prefix."""
    return [RUNNER, "--prefix", prefix, "--", *args]


def inside(*args, timeout=300):
    return subprocess.run(runner(*args), capture_output=True, text=True, timeout=timeout,
                          stdin=subprocess.DEVNULL)


def setUpModule():
    global scratch, prefix, wine_version
    # The cached root (built on the first run); the runner makes the fresh prefix on its first call.
    subprocess.run(["bash", ROOT_SCRIPT], check=True, stdout=subprocess.DEVNULL, timeout=ROOT_DEADLINE)
    scratch = tempfile.mkdtemp(prefix="quasarine-wine10-")
    prefix = os.path.join(scratch, "prefix")
    wine_version = inside("wine64", "--version", timeout=600)
    if wine_version.returncode != 0:
        raise RuntimeError("Wine 10 did not run in its root: " + wine_version.stderr[-2000:])


def tearDownModule():
    if prefix:
        inside("wineserver", "-k", timeout=60)
    if scratch:
        shutil.rmtree(scratch, ignore_errors=True)


def pactl(*args):
    return subprocess.run(["pactl", *args], capture_output=True, text=True, check=True,
                          timeout=30).stdout.strip()


def beat(seconds=2.0, rate=44100):
    """A two-second loop of 16-bit stereo samples: a kick (a falling 50-110 Hz sweep) twice a
    second, a hi-hat tone on the off-beats, over a soft 330 Hz drone so that it is never silent."""
    frames = bytearray()
    for i in range(int(seconds * rate)):
        t = i / rate
        on = t % 0.5
        kick = math.exp(-on * 18) * math.sin(2 * math.pi * (50 + 60 * math.exp(-on * 30)) * on)
        off = (t + 0.25) % 0.5
        hat = math.exp(-off * 60) * math.sin(2 * math.pi * 6000 * t) * 0.4
        value = int(14000 * (0.8 * kick + hat + 0.1 * math.sin(2 * math.pi * 330 * t)))
        frames += struct.pack("<hh", value, value)
    return bytes(frames)


class BeatPlayer:
    """Plays the beat on the default sink over and over from a thread until stopped. One stream
    fed without pause: separate plays of a file leave gaps of silence on a busy null sink, long
    enough for the program's silence detector."""

    def __init__(self, samples):
        self.stopping = threading.Event()
        self.player = subprocess.Popen(["pacat", "--playback", "--device=@DEFAULT_SINK@", "--raw",
                                        "--format=s16le", "--rate=44100", "--channels=2"],
                                       stdin=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.thread = threading.Thread(target=self.feed, args=(samples,), daemon=True)
        self.thread.start()

    def feed(self, samples):
        # The pipe blocks while pacat's buffer is full, so writes keep pace with playback.
        chunk = len(samples) // 8 // 4 * 4
        try:
            while not self.stopping.is_set():
                for start in range(0, len(samples), chunk):
                    if self.stopping.is_set():
                        break
                    self.player.stdin.write(samples[start:start + chunk])
                    self.player.stdin.flush()
        except (BrokenPipeError, ValueError):
            pass

    def stop(self):
        self.stopping.set()
        self.player.terminate()
        self.player.wait(timeout=30)
        self.thread.join(timeout=30)
        try:
            self.player.stdin.close()
        except BrokenPipeError:
            pass


def recording(source, seconds=1.5, timeout=30.0):
    """A recording of a source that holds samples beyond the first 0.1 s, which peak_level skips:
    parec delivers in blocks, and a short recording on a busy machine may end before the first."""
    skipped = 8820 * 2
    return harness.wait_until(lambda: (lambda d: d if len(d) > skipped + 441 * 4 else None)(
        harness.record(source, seconds)), timeout) or b""


TITLE = harness.embedded_image("title", images=CROSS_IMAGES)


def is_fractal(shot):
    return harness.is_fractal(shot, TITLE)


def is_title(shot):
    return harness.matches_image(shot, TITLE) > 0.9


class Wine10(unittest.TestCase):
    process = None
    window = None
    player = None
    modules = ()

    def tearDown(self):
        if self.player is not None:
            self.player.stop()
        if self.process is not None and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        inside("wineserver", "-k", timeout=60)
        self.restore_sinks()

    def restore_sinks(self):
        """The other tests expect the services' own sink and its monitor as the defaults."""
        if self.modules:
            pactl("set-default-sink", SINK)
            pactl("set-default-source", SINK + ".monitor")
            for module in self.modules:
                pactl("unload-module", module)
            self.modules = ()

    def launch(self, args=()):
        # The program keeps the source chosen last under %APPDATA%; each start begins without one,
        # so that no test starts on the source that an earlier one chose.
        for folder in glob.glob(os.path.join(prefix, "drive_c", "users", "*", "AppData", "Roaming",
                                             "Quasarine")):
            shutil.rmtree(folder)
        self.process = subprocess.Popen(runner("wine64", INSIDE_EXE, *args), stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.window = harness.wait_for_window(harness.WINDOW_TITLE, WINDOW_DEADLINE)
        self.assertIsNotNone(self.window, "no program window appeared under Wine 10")

    def shot(self):
        return harness.screenshot(self.window)

    def wait_for_picture(self, condition, timeout=PICTURE_DEADLINE):
        return harness.wait_until(lambda: (lambda s: s if condition(s) else None)(self.shot()), timeout)

    def quit_with_esc(self):
        harness.key(self.window[0], "Escape")
        self.assertEqual(harness.finish(self.process, timeout=60), 0)

    def silent_default_source(self, rate=None):
        """Makes the default recording device a silent monitor, and the default output either the
        services' sink or, at rate, a new sink; returns that sink's name."""
        modules = [pactl("load-module", "module-null-sink", "sink_name=quiet",
                         "sink_properties=device.description=Quiet")]
        self.modules = modules
        sink = SINK
        if rate is not None:
            sink = "speakers%d" % rate
            modules.append(pactl("load-module", "module-null-sink", "sink_name=" + sink, "rate=%d" % rate,
                                 "channels=2", "sink_properties=device.description=Speakers%d" % rate))
        pactl("set-default-source", "quiet.monitor")
        pactl("set-default-sink", sink)
        return sink

    def play_beat(self, sink):
        """Starts the beat on the default sink and checks that it is heard there and only there."""
        global beat_samples
        beat_samples = beat_samples or beat()
        self.player = BeatPlayer(beat_samples)
        heard = harness.wait_until(lambda: harness.peak_level(recording(sink + ".monitor")) > 1000, 30.0)
        self.assertTrue(heard, "the beat is not heard on the default sink " + sink)
        quiet = recording("quiet.monitor")
        self.assertTrue(quiet, "nothing could be recorded from the default recording device")
        self.assertLess(harness.peak_level(quiet), 50, "the default recording device is not silent")

    def stop_beat(self):
        self.player.stop()
        self.player = None

    def test_wine_in_the_root_is_10(self):
        found = re.match(r"wine-(\d+)\.(\d+)", wine_version.stdout.strip())
        self.assertIsNotNone(found, "no Wine version: " + wine_version.stdout)
        # Loopback capture arrived in winepulse with 9.12; Debian trixie ships 10.
        self.assertGreaterEqual(int(found.group(1)), 10, wine_version.stdout)
        self.assertTrue(os.path.isfile(os.path.join(prefix, "system.reg")), "no Wine prefix was made")

    def test_window_title_screen_demo_track_and_esc(self):
        self.launch()
        self.assertEqual(self.window[2:4], (960, 540))
        self.assertTrue(self.wait_for_picture(is_title), "the title screen did not show")
        harness.key(self.window[0], "space")
        self.assertTrue(self.wait_for_picture(is_fractal), "the demo track did not bring the fractal in")
        heard = harness.wait_until(lambda: harness.peak_level(harness.record_monitor(1.5)) > 1000, 30.0)
        self.assertTrue(heard, "the demo track is not heard on the sink's monitor")
        self.quit_with_esc()

    def speakers_follow_the_beat(self, rate):
        sink = self.silent_default_source(rate)
        self.launch(["--viz", "--speakers"])
        self.assertTrue(self.wait_for_picture(is_title), "the title screen did not show in silence")
        self.play_beat(sink)
        self.assertTrue(self.wait_for_picture(is_fractal),
                        "the beat on the default output did not bring the fractal in")
        self.stop_beat()
        self.assertTrue(self.wait_for_picture(is_title, FADE_DEADLINE),
                        "silence on the default output did not fade back to the title screen")
        self.quit_with_esc()

    def test_speakers_show_a_beat_on_the_default_output(self):
        self.speakers_follow_the_beat(None)

    def test_speakers_show_a_beat_on_a_48000_hz_output(self):
        self.speakers_follow_the_beat(48000)

    def test_up_from_the_default_device_selects_speakers(self):
        # The name that --speakers starts with is the one that Up shows from the default device.
        self.launch(["--speakers"])
        self.assertTrue(self.wait_for_picture(is_title), "the title screen did not show")
        # The name is drawn once the loopback stream is open: take it when two looks agree.
        names = []
        steady = harness.wait_until(lambda: names.append(harness.source_name_columns(self.shot())) or
                                    (len(names) > 1 and names[-1] and names[-1] == names[-2]), 30.0,
                                    interval=1.0)
        self.assertTrue(steady, "no steady source name is drawn with --speakers")
        speakers_name = names[-1]
        self.quit_with_esc()
        inside("wineserver", "-w", timeout=60)

        sink = self.silent_default_source()
        self.launch()
        self.assertTrue(self.wait_for_picture(lambda s: harness.source_name_has_glyphs(
            s, len("Default Recording Device"))), "the title does not name the default device")
        harness.key(self.window[0], "Up")
        self.assertTrue(self.wait_for_picture(lambda s: harness.source_name_columns(s) == speakers_name, 30.0),
                        "Up from the default device does not show the Speakers name")
        harness.key(self.window[0], "v")
        self.play_beat(sink)
        self.assertTrue(self.wait_for_picture(is_fractal),
                        "with Speakers selected the beat on the default output did not show")
        self.quit_with_esc()


if __name__ == "__main__":
    unittest.main()
