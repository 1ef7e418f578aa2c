"""Songs played in the window through the real binary: two songs given on the command line are heard
in order on the sink, a bad file between them is skipped with its line on the title screen, and the
source the program had before the songs returns after the last."""
import array
import math
import os
import subprocess
import tempfile
import time
import unittest

import harness

RATE = 44100
WINDOW = RATE // 4  # quarter-second windows of the recording
FIRST_HZ, SECOND_HZ = 440, 1320
# The notice of a song that will not play: its first words' rows and columns at 960x540.
NOTICE_REGION = (38, 420, 320, 432)
SONG_SECONDS = 6
TITLE = harness.embedded_image("title")


def make_song(path, frequency, seconds, *tags):
    metadata = [word for tag in tags for word in ("-metadata", tag)]
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", f"sine=frequency={frequency}:duration={seconds}",
                    "-ac", "2", "-ar", str(RATE), *metadata, path], check=True, timeout=60)


def strength(samples, frequency):
    """The Goertzel magnitude of one frequency in a run of samples, per sample."""
    k = 2 * math.cos(2 * math.pi * frequency / RATE)
    a = b = 0.0
    for value in samples:
        a, b = value + k * a - b, a
    return math.sqrt(max(a * a + b * b - k * a * b, 0.0)) / len(samples)


def dominant_tones(data):
    """For each quarter second of a 16-bit stereo recording: the test tone that dominates it, or None."""
    samples = array.array("h")
    samples.frombytes(data[:len(data) // 4 * 4])
    left = samples[0::2]
    tones = []
    for start in range(0, len(left) - WINDOW + 1, WINDOW):
        window = left[start:start + WINDOW]
        first, second = strength(window, FIRST_HZ), strength(window, SECOND_HZ)
        tones.append(FIRST_HZ if first > 200 and first > 10 * second else
                     SECOND_HZ if second > 200 and second > 10 * first else None)
    return tones


def notice_shown(shot):
    x0, y0, x1, y1 = NOTICE_REGION
    return any(min(harness.pixel(shot, x, y)) > 200 for y in range(y0, y1) for x in range(x0, x1))


class SongsFromTheCommandLine(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="quasarine-songs-")
        self.first = os.path.join(self.folder, "first.flac")
        self.bad = os.path.join(self.folder, "bad.flac")
        self.second = os.path.join(self.folder, "second.ogg")
        make_song(self.first, FIRST_HZ, SONG_SECONDS, "title=First Tone", "artist=Test Band")
        make_song(self.second, SECOND_HZ, SONG_SECONDS)
        with open(self.bad, "w") as bad:
            bad.write("this is no sound\n")
        self.recording = os.path.join(self.folder, "monitor.raw")
        with open(self.recording, "wb") as out:
            self.recorder = subprocess.Popen(["parec", "-d", "quasarine_sink.monitor", "--raw", "--format=s16le",
                                              f"--rate={RATE}", "--channels=2"], stdout=out)
        self.printed = open(os.path.join(self.folder, "printed.txt"), "w+")
        self.process = harness.start([self.first, self.bad, self.second], output=self.printed)

    def tearDown(self):
        for process in (self.process, self.recorder):
            if process.poll() is None:
                process.kill()
                process.wait()
        self.printed.close()

    def heard(self):
        with open(self.recording, "rb") as recorded:
            return dominant_tones(recorded.read())

    def test_two_songs_in_order_the_bad_file_skipped_and_the_source_before_back(self):
        window = harness.wait_for_window(harness.WINDOW_TITLE, process=self.process)
        self.assertIsNotNone(window, "no program window appeared: " + harness.process_state(self.process))
        shot = lambda: harness.screenshot(window)
        # Songs start the visualization; V brings the title screen back, with the songs playing on.
        self.assertTrue(harness.wait_for_fractal(window, TITLE, 30.0), "the song did not bring the fractal in")
        harness.key(window[0], "v")
        # The first song's line is longer than any source's name on this server.
        labelled = harness.wait_until(lambda: max(harness.source_name_columns(shot()), default=0)
                                      > harness.SOURCE_NAME_X + 26 * harness.GLYPH_WIDTH, 30.0)
        self.assertTrue(labelled, "the title screen does not show the first song's line")
        self.assertTrue(harness.wait_until(lambda: FIRST_HZ in self.heard(), 30.0), "the first song is not heard")
        self.assertTrue(harness.wait_until(lambda: notice_shown(shot()), 30.0),
                        "the bad file's line did not appear")
        self.assertTrue(harness.wait_until(lambda: SECOND_HZ in self.heard(), 30.0), "the second song is not heard")
        # After the last song the default recording device the program started with is back.
        back = harness.wait_until(
            lambda: harness.source_name_has_glyphs(shot(), len("Default Recording Device")), 30.0)
        self.assertTrue(back, "the source before the songs did not return")
        tones = [tone for tone in self.heard() if tone is not None]
        self.assertEqual(tones[0], FIRST_HZ)
        switch = tones.index(SECOND_HZ)
        self.assertNotIn(FIRST_HZ, tones[switch:], "the first song was heard again after the second began")
        # Whole songs: a quarter second either way for the windows cut by the switches.
        self.assertGreaterEqual(switch, 4 * SONG_SECONDS - 2)
        self.assertGreaterEqual(len(tones) - switch, 4 * SONG_SECONDS - 2)
        harness.key(window[0], "Escape")
        self.assertEqual(harness.finish(self.process), 0)
        # Nothing is printed, not even FFmpeg's notes on the bad file.
        self.printed.seek(0)
        self.assertEqual(self.printed.read(), "")


if __name__ == "__main__":
    unittest.main()
