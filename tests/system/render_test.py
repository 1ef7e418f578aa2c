"""A song rendered into a video through the real binary: headless, in step with the song, the same
frames for the same seed and for segments joined, the common formats, and every failure with its own
exit code, leaving nothing behind."""
import array
import glob
import json
import math
import os
import random
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import unittest
import wave

import harness

PROGRAM = harness.PROGRAM
RATE = 44100


def headless_env():
    """No X11, no Wayland: the render must draw through EGL off screen."""
    env = dict(os.environ)
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER", "SDL_VIDEO_X11_FORCE_EGL"):
        env.pop(name, None)
    return env


def render(*args, env=None, timeout=600):
    return subprocess.run([PROGRAM, "--render", *args], env=env or headless_env(), capture_output=True,
                          text=True, timeout=timeout, stdin=subprocess.DEVNULL)


def silence_then_beat(seconds=12.0, quiet=4.0):
    """Stereo 16-bit samples: quiet seconds of silence, then a kick every half second over a noise
    bed, so that the sound has one alignment only."""
    generator = random.Random(7)
    samples = array.array("h")
    for i in range(int(seconds * RATE)):
        t = i / RATE
        value = 0.0
        if t >= quiet:
            since_kick = (t - quiet) % 0.5
            value = 0.6 * math.exp(-since_kick * 18.0) * math.sin(2 * math.pi * 60 * since_kick)
            value += 0.15 * (generator.random() * 2.0 - 1.0)
        sample = int(max(-1.0, min(1.0, value)) * 32767)
        samples.append(sample)
        samples.append(sample)
    return samples


def write_wav(path, samples, rate=RATE, channels=2):
    with wave.open(path, "wb") as out:
        out.setnchannels(channels)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(samples.tobytes())


def probe(path):
    result = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-show_streams", "-show_format",
                             "-of", "json", path], capture_output=True, text=True, timeout=120)
    return json.loads(result.stdout)


def stream_of(info, kind):
    return next(stream for stream in info["streams"] if stream["codec_type"] == kind)


def frame_lumas(path, width, height):
    """Each decoded frame's luma plane, as bytes."""
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "gray", "-"],
                         capture_output=True, timeout=300).stdout
    size = width * height
    return [raw[i:i + size] for i in range(0, len(raw), size)]


def decoded_sound(path):
    """The first channel of the file's sound at 44100 Hz as floats."""
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-vn", "-ac", "1", "-ar", str(RATE),
                          "-f", "f32le", "-"], capture_output=True, timeout=120).stdout
    return array.array("f", raw)


def correlation(a, b, lag, start, count):
    return sum(a[start + i] * b[start + i + lag] for i in range(count))


class HeadlessRender(unittest.TestCase):
    """12 s (4 s silent) at 320x180, 30 fps, with no display at all."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="quasarine-render-")
        cls.song = os.path.join(cls.folder, "song.wav")
        cls.samples = silence_then_beat()
        write_wav(cls.song, cls.samples)
        cls.result = render(cls.song, "--size", "320x180", "--fps", "30")
        cls.video = os.path.join(cls.folder, "song.mp4")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def test_writes_h264_high_and_aac_of_the_song_length_beside_the_song(self):
        self.assertEqual(self.result.returncode, 0, self.result.stderr)
        self.assertIn("Rendered", self.result.stdout)
        info = probe(self.video)
        video, audio = stream_of(info, "video"), stream_of(info, "audio")
        self.assertEqual((video["codec_name"], video["profile"], video["pix_fmt"]), ("h264", "High", "yuv420p"))
        self.assertEqual((video["width"], video["height"]), (320, 180))
        self.assertEqual(int(video["nb_read_frames"]), 360)
        self.assertEqual(video.get("color_space"), "bt709")
        self.assertEqual((audio["codec_name"], audio["profile"], int(audio["sample_rate"])), ("aac", "LC", RATE))
        self.assertAlmostEqual(float(audio["duration"]), 12.0, delta=1 / 30)
        self.assertEqual(glob.glob(os.path.join(self.folder, "*.part")), [])
        # The index is at the front: the moov box comes before the media data.
        with open(self.video, "rb") as f:
            head = f.read(1 << 16)
        self.assertLess(head.find(b"moov"), head.find(b"mdat"))

    def test_picture_stays_dark_through_the_silence_and_comes_in_after_it(self):
        lumas = frame_lumas(self.video, 320, 180)
        self.assertEqual(len(lumas), 360)
        brightest = [max(frame) for frame in lumas]
        # Frames before 4.0 s: limited-range black, give or take the encoder's noise.
        self.assertLessEqual(max(brightest[:120]), 24, brightest[:120])
        lit = [k for k, value in enumerate(brightest) if value > 64]
        self.assertTrue(lit, "the picture never came in")
        # History fills while silent, sound is heard within a few buffers, then the 2 s fade.
        self.assertGreaterEqual(lit[0], 120)
        self.assertLess(lit[0], 120 + 3 * 30, brightest[120:240])

    def test_sound_matches_the_song_at_lag_zero(self):
        sound = decoded_sound(self.video)
        song = array.array("f", (self.samples[i] / 32768.0 for i in range(0, len(self.samples), 2)))
        self.assertAlmostEqual(len(sound) / RATE, 12.0, delta=1 / 30)
        lags = range(-40, 41)
        start, count = 5 * RATE, RATE // 2
        scores = {lag: correlation(song, sound, lag, start, count) for lag in lags}
        best = max(scores, key=scores.get)
        self.assertEqual(best, 0, sorted(scores.items(), key=lambda item: -item[1])[:5])


class SameFrames(unittest.TestCase):
    """One seed gives the same frames; another seed others; two segments joined give the whole."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="quasarine-seed-")
        cls.song = os.path.join(cls.folder, "song.wav")
        write_wav(cls.song, silence_then_beat(seconds=8.0, quiet=0.5))

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def rendered(self, name, *args):
        """Decoded frames of a render; nearly lossless, so that only the pictures can differ."""
        path = os.path.join(self.folder, name)
        result = render(self.song, "--output", path, "--size", "160x90", "--fps", "15", "--preset", "veryfast",
                        "--quality", "1", *args)
        self.assertEqual(result.returncode, 0, result.stderr)
        return frame_lumas(path, 160, 90)

    @staticmethod
    def mean_difference(a, b):
        return sum(abs(x - y) for x, y in zip(a, b)) / len(a)

    def test_seeds_and_segments(self):
        whole = self.rendered("whole.mp4")
        again = self.rendered("again.mp4")
        self.assertEqual(len(whole), 120)
        self.assertEqual(whole, again)
        # Sound all through: the track keeps its bit rate.
        self.assertGreaterEqual(int(stream_of(probe(os.path.join(self.folder, "whole.mp4")), "audio")["bit_rate"]),
                                192000)
        other = self.rendered("other.mp4", "--seed", "2", "--to", "4")
        self.assertEqual(len(other), 60)
        unlike = [self.mean_difference(a, b) for a, b in zip(whole[15:60], other[15:60])]
        self.assertGreater(max(unlike), 8.0)

        first = os.path.join(self.folder, "first.mp4")
        second = os.path.join(self.folder, "second.mp4")
        self.rendered("first.mp4", "--to", "4")
        self.rendered("second.mp4", "--from", "0:04")
        listing = os.path.join(self.folder, "segments.txt")
        with open(listing, "w") as f:
            f.write(f"file '{first}'\nfile '{second}'\n")
        joined = os.path.join(self.folder, "joined.mp4")
        subprocess.run(["ffmpeg", "-v", "error", "-f", "concat", "-safe", "0", "-i", listing, "-c", "copy",
                        joined], check=True, timeout=120)
        parts = frame_lumas(joined, 160, 90)
        self.assertEqual(len(parts), len(whole))
        # Each segment starts its own group of pictures, so the compression differs a little (less than
        # half a level at this quality); the pictures themselves are the same.
        differences = [self.mean_difference(a, b) for a, b in zip(whole, parts)]
        self.assertLess(max(differences), 1.0, differences)


    def test_supersampling_averages_each_block_of_the_larger_picture(self):
        small = self.rendered("small.mp4", "--to", "4", "--supersample", "2")
        path = os.path.join(self.folder, "large.mp4")
        result = render(self.song, "--output", path, "--size", "320x180", "--fps", "15", "--preset", "veryfast",
                        "--quality", "1", "--to", "4")
        self.assertEqual(result.returncode, 0, result.stderr)
        large = frame_lumas(path, 320, 180)
        self.assertEqual(len(small), len(large))
        for k in (50, 58):
            big = large[k]
            means = bytes((big[2 * y * 320 + 2 * x] + big[2 * y * 320 + 2 * x + 1] + big[(2 * y + 1) * 320 + 2 * x] +
                           big[(2 * y + 1) * 320 + 2 * x + 1] + 2) // 4 for y in range(90) for x in range(160))
            self.assertGreater(max(small[k]), 64)
            self.assertLess(self.mean_difference(small[k], means), 2.0)


class Formats(unittest.TestCase):
    """A short song in each common format, and damaged ones, renders."""

    FORMATS = [("mp3", ["-c:a", "libmp3lame"]), ("m4a", ["-c:a", "aac"]), ("flac", []),
               ("ogg", ["-c:a", "libvorbis"]), ("opus", ["-c:a", "libopus"]), ("wav", []),
               ("caf", ["-c:a", "alac"]), ("mkv", ["-c:a", "flac"])]

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="quasarine-formats-")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def make(self, name, args, source="sine=frequency=330:duration=2:sample_rate=48000", extra=()):
        path = os.path.join(self.folder, name)
        subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", source, *extra, *args, path],
                       check=True, timeout=120)
        return path

    def rendered_seconds(self, song):
        output = song + ".out.mp4"
        result = render(song, "--output", output, "--size", "64x36", "--fps", "10", "--preset", "ultrafast")
        self.assertEqual(result.returncode, 0, f"{song}: {result.stderr}")
        info = probe(output)
        return int(stream_of(info, "video")["nb_read_frames"]), float(stream_of(info, "audio")["duration"])

    def test_each_format_renders_its_whole_length(self):
        for extension, args in self.FORMATS:
            with self.subTest(extension):
                song = self.make(f"song.{extension}", args)
                frames, seconds = self.rendered_seconds(song)
                # Lossy codecs may pad their last packet by a few milliseconds: one frame more.
                self.assertIn(frames, (20, 21))
                self.assertAlmostEqual(seconds, 2.0, delta=0.1)

    def test_mono_multichannel_and_unusual_rates(self):
        cases = [("mono.flac", ["-ac", "1"], 44100), ("surround.wav", ["-ac", "6"], 48000),
                 ("odd.wav", ["-ar", "37800"], 48000)]
        for name, args, rate in cases:
            with self.subTest(name):
                song = self.make(name, args)
                frames, _ = self.rendered_seconds(song)
                self.assertIn(frames, (20, 21))
                info = probe(song + ".out.mp4")
                self.assertEqual(int(stream_of(info, "audio")["sample_rate"]),
                                 rate if name != "mono.flac" else 48000)

    def test_damaged_songs_render_what_can_be_decoded(self):
        song = self.make("damaged.mp3", ["-c:a", "libmp3lame"], source="sine=frequency=330:duration=6")
        with open(song, "r+b") as f:
            size = os.path.getsize(song)
            f.seek(size // 2)
            f.write(bytes(random.Random(3).randrange(256) for _ in range(2000)))
        frames, seconds = self.rendered_seconds(song)
        # MP3 frames carry no time stamps, so the few lost with the damage are not known as a gap.
        self.assertGreaterEqual(frames, 55)
        self.assertGreaterEqual(seconds, 5.5)
        truncated = self.make("truncated.flac", [], source="sine=frequency=330:duration=6")
        with open(truncated, "r+b") as f:
            f.truncate(os.path.getsize(truncated) // 2)
        frames, _ = self.rendered_seconds(truncated)
        self.assertGreater(frames, 20)
        self.assertLess(frames, 50)


class Failures(unittest.TestCase):
    """Each failure: its exit code, one line naming the file, and nothing left behind."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="quasarine-failures-")
        os.chmod(cls.folder, 0o755)
        cls.song = os.path.join(cls.folder, "song.wav")
        write_wav(cls.song, silence_then_beat(seconds=1.0, quiet=0.0))
        os.chmod(cls.song, 0o644)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.folder, name)

    def leftovers(self):
        return sorted(name for name in os.listdir(self.folder) if name.endswith((".part", ".mp4")))

    def test_failures_table(self):
        text = self.path("words.wav")
        with open(text, "w") as f:
            f.write("not sound at all\n" * 100)
        silent_video = self.path("picture.mkv")
        subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "testsrc=duration=1:size=64x48",
                        silent_video], check=True, timeout=60)
        empty = self.path("empty.wav")
        write_wav(empty, array.array("h"))
        existing = self.path("existing.mp4")
        out = self.path("out.mp4")
        cases = [
            ([self.path("missing.wav")], 51, "missing.wav"),
            ([self.folder], 52, self.folder),
            ([text], 54, "words.wav"),
            ([silent_video], 55, "picture.mkv"),
            ([empty], 56, "empty.wav"),
            ([self.song, "--from", "5"], 56, "song.wav"),
            ([self.song, "--output", self.path("no/such/folder.mp4")], 57, "folder.mp4"),
            ([self.song, "--output", existing], 58, "existing.mp4"),
            ([self.song, "--output", out, "--size", "321x180"], 50, "321x180"),
            ([self.song, "--output", out, "--size", "8x8"], 50, "8x8"),
            ([self.song, "--output", out, "--fps", "0"], 50, "--fps"),
            ([self.song, "--output", out, "--supersample", "5"], 50, "--supersample"),
            ([self.song, "--output", out, "--preset", "warp"], 50, "--preset"),
            ([self.song, "--output", out, "--from", "1:xx"], 50, "--from"),
            ([self.song, "--output", out, "--bogus"], 50, "--bogus"),
            ([self.song, "--output", out, "--size", "7680x4320", "--supersample", "4"], 62, "out.mp4"),
        ]
        with open(existing, "wb") as f:
            f.write(b"keep me")
        for args, code, named in cases:
            with self.subTest(args=args):
                result = render(*args, timeout=120)
                self.assertEqual(result.returncode, code, result.stderr)
                lines = result.stderr.strip().splitlines()
                self.assertEqual(len(lines), 1, result.stderr)
                self.assertIn(named, lines[0])
                self.assertEqual(self.leftovers(), ["existing.mp4"])
        with open(existing, "rb") as f:
            self.assertEqual(f.read(), b"keep me")
        replaced = render(self.song, "--output", existing, "--overwrite", "--size", "64x36", "--fps", "5")
        self.assertEqual(replaced.returncode, 0, replaced.stderr)
        self.assertEqual(stream_of(probe(existing), "video")["codec_name"], "h264")

    def test_unreadable_song_as_another_user(self):
        locked = self.path("locked.wav")
        shutil.copy(self.song, locked)
        os.chmod(locked, 0o600)
        result = subprocess.run(["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", PROGRAM,
                                 "--render", locked, "--output", "/tmp/never.mp4"],
                                env=headless_env(), capture_output=True, text=True, timeout=120)
        self.assertEqual(result.returncode, 53, result.stderr)
        self.assertIn("locked.wav", result.stderr)

    def test_full_disk_leaves_nothing(self):
        disk = self.path("disk")
        os.mkdir(disk)
        if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=96k", "tmpfs", disk]).returncode != 0:
            self.skipTest("cannot mount a small file system here")
        song = self.path("lively.wav")
        write_wav(song, silence_then_beat(seconds=5.0, quiet=0.0))
        try:
            result = render(song, "--output", os.path.join(disk, "full.mp4"), "--size", "640x360",
                            "--fps", "30", "--quality", "1")
            self.assertEqual(result.returncode, 60, result.stderr)
            self.assertIn("full.mp4", result.stderr)
            self.assertEqual(os.listdir(disk), [])
        finally:
            subprocess.run(["umount", disk])

    def test_interrupt_in_mid_render_leaves_nothing(self):
        long_song = self.path("long.wav")
        write_wav(long_song, silence_then_beat(seconds=60.0, quiet=0.0))
        output = self.path("interrupted.mp4")
        process = subprocess.Popen([PROGRAM, "--render", long_song, "--output", output, "--size", "320x180"],
                                   env=headless_env(), stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                   stdin=subprocess.DEVNULL, text=True)
        try:
            started = harness.wait_until(lambda: any(os.path.getsize(path) > 0 for path in
                                                     glob.glob(output + ".*.part")), timeout=120)
            self.assertTrue(started, "no temporary file appeared")
            process.send_signal(signal.SIGINT)
            _, errors = process.communicate(timeout=120)
        finally:
            if process.poll() is None:
                process.kill()
        self.assertEqual(process.returncode, 61, errors)
        self.assertIn("interrupted.mp4", errors)
        self.assertEqual(glob.glob(output + "*"), [])


class WithDisplay(unittest.TestCase):
    """With a display the frames show in a window, whose Esc cancels the render."""

    def test_window_shows_progress_and_escape_cancels(self):
        folder = tempfile.mkdtemp(prefix="quasarine-window-")
        try:
            song = os.path.join(folder, "song.wav")
            write_wav(song, silence_then_beat(seconds=60.0, quiet=0.0))
            process = harness.start(["--render", song, "--size", "320x180"])
            try:
                found = harness.wait_until(lambda: [w for w in harness.top_windows()
                                                    if w[1].startswith("Quasarine: rendering")], timeout=120)
                self.assertTrue(found, "no window with the render's progress")
                window = [w for w in harness.top_windows() if w[1].startswith("Quasarine: rendering")][0]
                lit = harness.wait_until(lambda: harness.lit_share(harness.screenshot(window)) > 0.05,
                                         timeout=120)
                self.assertTrue(lit, "the window shows no frame")
                harness.key_to_window(window[0], "Escape")
                self.assertEqual(process.wait(timeout=120), 61)
            finally:
                if process.poll() is None:
                    process.kill()
            self.assertEqual(sorted(os.listdir(folder)), ["song.wav"])
        finally:
            shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
