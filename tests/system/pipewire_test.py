"""The program on a private PipeWire session of scripts/with_pipewire.sh, in its ALSA layout.

QUASARINE_PIPEWIRE_ALSA names the layout: "pulse", where ALSA's default device is the PulseAudio
plugin talking to pipewire-pulse, or "pipewire", where it is PipeWire's own plugin. On both: the
speakers desktop action, the selector's ALSA devices, the demo track, and a capture from the default
device that outlives its server."""
import os
import subprocess
import sys
import unittest

import harness
from capture_recovery_test import CaptureRecovery

LAYOUT = os.environ.get("QUASARINE_PIPEWIRE_ALSA", "")
QUIET_SOURCE = "quasarine_quiet_source"
SPEAKERS_NAME = "Speakers: QuasarineSink"
DEFAULT_DEVICE_NAME = "Default Recording Device"


def pactl(*args):
    return subprocess.run(["pactl", *args], check=True, capture_output=True, text=True).stdout.strip()


def control(action):
    subprocess.run([os.environ["QUASARINE_PIPEWIRE_CONTROL"], action], check=True, timeout=120)


def portaudio_input_devices():
    """The names of the devices that PortAudio itself offers for recording here, in its order; read in
    a child process, since PortAudio's probing writes to stderr and stays loaded."""
    code = """
import ctypes, sys
class Info(ctypes.Structure):
    _fields_ = [("structVersion", ctypes.c_int), ("name", ctypes.c_char_p), ("hostApi", ctypes.c_int),
                ("maxInputChannels", ctypes.c_int)]
pa = ctypes.CDLL("libportaudio.so.2")
pa.Pa_GetDeviceInfo.restype = ctypes.POINTER(Info)
if pa.Pa_Initialize() != 0:
    sys.exit(1)
for i in range(pa.Pa_GetDeviceCount()):
    info = pa.Pa_GetDeviceInfo(i).contents
    if info.maxInputChannels > 0:
        print(info.name.decode())
pa.Pa_Terminate()
"""
    result = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=60)
    assert result.returncode == 0, "PortAudio did not start: " + result.stderr[-2000:]
    return result.stdout.splitlines()


class OnPipeWire(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        assert LAYOUT in ("pulse", "pipewire"), "run it through scripts/with_pipewire.sh"
        cls.title = harness.embedded_image("title")

    def setUp(self):
        self.assertIn("Server Name: PulseAudio (on PipeWire ", pactl("info"))
        self.process = None

    def tearDown(self):
        if self.process is not None:
            harness.finish(self.process, timeout=5)

    def launch(self, *args):
        self.process = harness.start(args)
        self.window = harness.wait_for_window(harness.WINDOW_TITLE)
        if self.window is None:
            self.fail("no program window appeared: " + harness.process_state(self.process))
        self.assertTrue(self.title_shown(), "no title screen")

    def shot(self):
        return harness.screenshot(self.window)

    def fractal_shown(self, timeout=60):
        return harness.wait_for_fractal(self.window, self.title, timeout)

    def title_shown(self, timeout=60):
        return harness.wait_for_image(self.window, self.title, timeout)

    def source_name_reads(self, text, timeout=30):
        return harness.wait_until(lambda: harness.matches_image(self.shot(), self.title) > 0.9
                                  and harness.source_name_has_glyphs(self.shot(), len(text)), timeout)

    def play(self):
        return harness.play_tone_during(self)

    def quit(self):
        harness.key(self.window[0], "Escape")
        self.assertEqual(harness.finish(self.process), 0)
        self.process = None

    def test_the_speakers_action_captures_the_default_sinks_monitor(self):
        # A silent default source: only the sink's monitor hears the tone.
        module = pactl("load-module", "module-null-sink", f"sink_name={QUIET_SOURCE}",
                       "media.class=Audio/Source/Virtual")
        self.addCleanup(lambda: subprocess.run(["pactl", "unload-module", module], capture_output=True))
        self.addCleanup(lambda: subprocess.run(["pactl", "set-default-source", "quasarine_sink.monitor"],
                                               capture_output=True))
        pactl("set-default-source", QUIET_SOURCE)
        self.launch("--viz", "--speakers")
        self.assertTrue(self.source_name_reads(SPEAKERS_NAME), "--speakers did not choose the speakers")
        self.play()
        self.assertTrue(self.fractal_shown(), "the sink's tone did not bring the fractal in")
        self.quit()

    def test_the_selector_names_alsas_devices(self):
        devices = portaudio_input_devices()
        # Which plugin is ALSA's own PipeWire device shows the layout is the one asked for.
        self.assertEqual("pipewire" in devices, LAYOUT == "pipewire", f"PortAudio lists {devices}")
        self.assertIn("default", devices)
        self.launch()
        self.assertTrue(self.source_name_reads(DEFAULT_DEVICE_NAME))
        harness.key(self.window[0], "Up")
        self.assertTrue(self.source_name_reads(SPEAKERS_NAME), "Up did not reach the speakers")
        for name in devices:
            harness.key(self.window[0], "Up")
            # A device that fails to open reads "No Audio Input Device" instead.
            self.assertTrue(self.source_name_reads(name.split("(")[0]),
                            f"Up did not reach {name!r} of {devices}")
        # Nothing is above the last device: Up stays, so Down leads to the one below it.
        harness.key(self.window[0], "Up", "Down")
        below = devices[-2] if len(devices) > 1 else SPEAKERS_NAME
        self.assertTrue(self.source_name_reads(below), f"the selector goes past {devices}")
        self.quit()

    def test_the_demo_track_is_heard_on_the_sinks_monitor(self):
        self.launch()
        self.assertTrue(harness.peak_level(harness.record_monitor()) < 50, "the sink is not silent")
        harness.key(self.window[0], "space")
        self.assertTrue(harness.wait_until(lambda: harness.peak_level(harness.record_monitor()) > 1000, 30),
                        "the demo track is not heard")
        self.quit()


class CaptureRecoveryOnPipeWire(CaptureRecovery, unittest.TestCase):
    """pipewire-pulse alone goes where ALSA reaches PipeWire through it; the whole of PipeWire goes
    where ALSA reaches PipeWire itself."""

    @classmethod
    def setUpClass(cls):
        assert LAYOUT in ("pulse", "pipewire"), "run it through scripts/with_pipewire.sh"
        cls.servers = "pulse" if LAYOUT == "pulse" else "all"

    def stop_server(self):
        control(f"--stop={self.servers}")

    def start_server(self):
        control(f"--start={self.servers}")


if __name__ == "__main__":
    unittest.main()
