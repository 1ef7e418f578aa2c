"""Drives the built program on the test display: starts it, finds its windows, sends real key and
mouse events through XTEST (xdotool), takes screenshots, records the audio server's monitor."""
import array
import math
import os
import re
import shutil
import subprocess
import tempfile
import threading
import time

PROGRAM = os.environ.get("QUASARINE_BINARY", "")
WINDOW_TITLE = "Quasarine: Stand-Alone Visualizer"
BOX_TITLE = "QORB ERROR"

_TREE_LINE = re.compile(r'^\s*(0x[0-9a-f]+) "(.*)": \(.*\)\s+(\d+)x(\d+)\+(-?\d+)\+(-?\d+)\s+\+(-?\d+)\+(-?\d+)')


def top_windows():
    """Named top-level windows as (id, name, width, height, x, y); SDL names them in UTF-8, which
    xdotool's name search cannot match, so the tree listing is read instead."""
    out = subprocess.run(["xwininfo", "-root", "-children"], capture_output=True, text=True).stdout
    windows = []
    for line in out.splitlines():
        m = _TREE_LINE.match(line)
        if m:
            wid, name, w, h, _, _, ax, ay = m.groups()
            windows.append((wid, name, int(w), int(h), int(ax), int(ay)))
    return windows


def wait_for_window(name, timeout=60.0, process=None):
    """The named top-level window once it is mapped, or None after the deadline or as soon as the
    given process has ended."""
    deadline = time.time() + timeout
    while time.time() < deadline:
        if process is not None and process.poll() is not None:
            return None
        for window in top_windows():
            if window[1] == name and window[2] > 1:
                return window
        time.sleep(0.1)
    return None


def start(args=(), egl=True, env_extra=None, output=subprocess.DEVNULL):
    """Starts the program; unless env_extra names one, with an empty configuration folder of its own,
    so that no source remembered by an earlier test is opened. Its stdout and stderr both go to
    output: a file, never a pipe that nobody reads, which could fill up and stall it."""
    env = dict(os.environ)
    env["XDG_CONFIG_HOME"] = tempfile.mkdtemp(prefix="quasarine-config-")
    if egl:
        env["SDL_VIDEO_X11_FORCE_EGL"] = "1"
    else:
        env.pop("SDL_VIDEO_X11_FORCE_EGL", None)
    env.update(env_extra or {})
    return subprocess.Popen([PROGRAM, *args], env=env, stdin=subprocess.DEVNULL,
                            stdout=output, stderr=output)


def process_state(process):
    """What a started program is doing, for a failure message: its exit code, or the kernel
    function each of its threads waits in."""
    code = process.poll()
    if code is not None:
        return f"the program exited with {code}"
    waits = []
    for task in sorted(os.listdir(f"/proc/{process.pid}/task")):
        try:
            with open(f"/proc/{process.pid}/task/{task}/comm") as c, \
                 open(f"/proc/{process.pid}/task/{task}/wchan") as w:
                waits.append(f"{c.read().strip()}:{w.read().strip() or 'running'}")
        except OSError:
            pass
    return "the program runs; its threads wait in " + ", ".join(waits) + thread_stacks(process.pid)


def thread_stacks(pid):
    """The innermost functions of every thread of a running process, as gdb finds them; empty
    without gdb."""
    if shutil.which("gdb") is None:
        return ""
    try:
        result = subprocess.run(["gdb", "-p", str(pid), "-batch", "-ex", "thread apply all bt 8"],
                                capture_output=True, text=True, timeout=120)
    except subprocess.TimeoutExpired:
        return "; gdb did not answer"
    stacks = []
    for line in result.stdout.splitlines():
        thread = re.match(r"^Thread \d+ .*\"(.*)\"\)", line)
        frame = re.match(r"^#\d+\s+(?:0x[0-9a-f]+ in )?(\S+)", line)
        if thread:
            stacks.append(thread.group(1) + ":")
        elif frame and stacks:
            stacks[-1] += " " + frame.group(1)
    return "; stacks: " + " | ".join(stacks)


def focus(window_id):
    subprocess.run(["xdotool", "windowfocus", "--sync", window_id], check=False, timeout=10)


def key(window_id, *keys):
    focus(window_id)
    subprocess.run(["xdotool", "key", "--delay", "60", *keys], check=True, timeout=20)


def key_to_window(window_id, *keys):
    """Sends keys straight to one window (for the message box, which takes no focus here)."""
    subprocess.run(["xdotool", "key", "--window", window_id, *keys], check=True, timeout=20)


def click(x, y, button=1):
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", str(button)],
                   check=True, timeout=20)


def drag(x0, y0, x1, y1):
    subprocess.run(["xdotool", "mousemove", "--sync", str(x0), str(y0), "mousedown", "1",
                    "sleep", "0.2", "mousemove", "--sync", str((x0 + x1) // 2), str((y0 + y1) // 2),
                    "sleep", "0.2", "mousemove", "--sync", str(x1), str(y1), "sleep", "0.2",
                    "mouseup", "1"], check=True, timeout=20)


def screenshot(window):
    """The window's pixels as (width, height, bytes of RGB)."""
    wid, _, w, h, _, _ = window
    raw = subprocess.run(["import", "-silent", "-window", wid, "-depth", "8", "rgb:-"],
                         capture_output=True, check=True, timeout=30).stdout
    return w, h, raw


def screenshot_when_viewable(window, timeout):
    """The window's pixels once it can be read: a window just created by Wine may not be mapped yet."""
    def attempt():
        try:
            return screenshot(window)
        except subprocess.CalledProcessError:
            return None
    return wait_until(attempt, timeout)


def save_png(window, path):
    subprocess.run(["import", "-silent", "-window", window[0], path], check=True, timeout=30)


def pixel(shot, x, y):
    w, _, raw = shot
    i = (y * w + x) * 3
    return tuple(raw[i:i + 3])


def distinct_colours(shot, step=4):
    w, h, raw = shot
    colours = set()
    for y in range(0, h, step):
        row = y * w * 3
        for x in range(0, w, step):
            i = row + x * 3
            colours.add(raw[i:i + 3])
    return len(colours)


def lit_share(shot, region=None, threshold=40):
    """Share of pixels in region (x0, y0, x1, y1) with any channel above threshold."""
    w, h, raw = shot
    x0, y0, x1, y1 = region or (0, 0, w, h)
    lit = total = 0
    for y in range(y0, y1):
        for x in range(x0, x1):
            i = (y * w + x) * 3
            total += 1
            if max(raw[i], raw[i + 1], raw[i + 2]) > threshold:
                lit += 1
    return lit / max(total, 1)


SOURCE_NAME_ROWS = (455, 473)  # the title screen's source name at 960x540: glyph rows,
SOURCE_NAME_X = 384             # first column
GLYPH_WIDTH = 18                # and width of one glyph


def source_name_columns(shot, x0=SOURCE_NAME_X, x1=930):
    """Columns between x0 and x1 with a white-ish pixel in the source name's row."""
    columns = []
    for x in range(x0, x1):
        for y in range(*SOURCE_NAME_ROWS):
            if min(pixel(shot, x, y)) > 200:
                columns.append(x)
                break
    return columns


def source_name_has_glyphs(shot, glyphs):
    """Whether the source name is that many glyphs long: the last one is drawn, nothing follows."""
    end = SOURCE_NAME_X + glyphs * GLYPH_WIDTH
    return bool(source_name_columns(shot, end - GLYPH_WIDTH, end)) and not source_name_columns(shot, end)


def finish(process, timeout=30):
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        return None


def record(source, seconds=1.0):
    """Records a source of the audio server as 16-bit stereo samples."""
    # pipewire-pulse holds a recording back in 2 s fragments unless asked for a short latency, and
    # what it holds when the recorder stops is lost; PulseAudio hands over nothing when asked.
    latency = ["--latency-msec=50"] if server_is_pipewire() else []
    process = subprocess.Popen(["parec", "-d", source, "--raw", "--format=s16le", "--rate=44100",
                                "--channels=2", *latency], stdout=subprocess.PIPE)
    time.sleep(seconds)
    process.terminate()
    data, _ = process.communicate(timeout=10)
    return data


def record_monitor(seconds=1.0):
    """Records the null sink's monitor: what the program plays."""
    return record("quasarine_sink.monitor", seconds)


def peak_level(data):
    """Largest absolute 16-bit sample, skipping the first 0.1 s that the server may pre-fill."""
    samples = array.array("h")
    samples.frombytes(data[:len(data) // 2 * 2])
    body = samples[8820:] if len(samples) > 8820 else samples
    return max((abs(s) for s in body), default=0)


def tone(seconds):
    """A 220 Hz and 1760 Hz tone pulsing four times a second, 16-bit stereo at 44100 Hz."""
    samples = array.array("h")
    for i in range(int(seconds * 44100)):
        t = i / 44100
        level = 0.5 if (t * 4) % 1 < 0.5 else 0.1
        value = int(12000 * level * (math.sin(2 * math.pi * 220 * t) + math.sin(2 * math.pi * 1760 * t)))
        samples.extend((value, value))
    return samples.tobytes()


def play_into_sink(sink="quasarine_sink"):
    """A player that takes raw 16-bit stereo samples at 44100 Hz on its stdin."""
    return subprocess.Popen(["pacat", "--playback", "-d", sink, "--raw", "--format=s16le",
                             "--rate=44100", "--channels=2"], stdin=subprocess.PIPE)


def stop_player(player):
    try:
        player.stdin.close()
    except BrokenPipeError:
        pass  # the player ended with its server, before taking what was written
    player.terminate()
    player.wait()


def play_tone_until(stop, sink="quasarine_sink"):
    """Plays the tone into the sink from a thread until the event stop is set; returns the thread."""

    def feed():
        player = play_into_sink(sink)
        chunk = tone(0.25)
        try:
            while not stop.is_set():
                player.stdin.write(chunk)
                player.stdin.flush()
        except BrokenPipeError:
            pass  # the player ended with its server
        finally:
            stop_player(player)

    thread = threading.Thread(target=feed, daemon=True)
    thread.start()
    return thread


def play_tone_during(test, sink="quasarine_sink"):
    """Plays the tone into the sink until the returned event is set, its server goes, or the test
    ends."""
    stop = threading.Event()
    thread = play_tone_until(stop, sink)

    def end():
        stop.set()
        thread.join(timeout=30)
    test.addCleanup(end)
    return stop


def server_is_pipewire():
    info = subprocess.run(["pactl", "info"], capture_output=True, text=True).stdout
    return "Server Name: PulseAudio (on PipeWire " in info


def server_answers():
    return subprocess.run(["pactl", "info"], capture_output=True).returncode == 0


def restart_audio_server():
    """Kills the private PulseAudio server and starts it again with the same configuration."""
    stop_audio_server()
    return start_audio_server()


def stop_audio_server():
    """Kills the private PulseAudio server of scripts/with_services.sh and waits until it is gone."""
    subprocess.run(["pkill", "-KILL", "-f", os.environ["QUASARINE_PULSE_CONFIG"]], check=True)
    wait_until(lambda: not server_answers(), 30)


def start_audio_server():
    """Starts the private PulseAudio server again with its configuration and waits until it answers."""
    config = os.environ["QUASARINE_PULSE_CONFIG"]
    server = subprocess.Popen(["pulseaudio", "-n", "-F", config, "--daemonize=no",
                               "--exit-idle-time=-1", "--use-pid-file=no"],
                              env=dict(os.environ, HOME=os.path.dirname(config) + "/home"),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_until(server_answers, 30)
    return server


def wait_until(predicate, timeout, interval=0.2):
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(interval)
    return predicate()


def difference_share(a, b, threshold=24):
    """Share of pixels whose colour differs by more than threshold in some channel."""
    _, _, ra = a
    _, _, rb = b
    step = 3 * 7
    changed = total = 0
    for i in range(0, min(len(ra), len(rb)) - 2, step):
        total += 1
        if max(abs(ra[i] - rb[i]), abs(ra[i + 1] - rb[i + 1]), abs(ra[i + 2] - rb[i + 2])) > threshold:
            changed += 1
    return changed / max(total, 1)


def embedded_image(name, width=960, height=540, shrink=1, images=None):
    """A generated image of the build (or of the folder images) as (width, height, bytes of RGB),
    each shrink x shrink block of pixels averaged: at half size, what linear filtering shows."""
    images = images or os.path.join(os.environ.get("QUASARINE_BUILD_DIR", ""), "assets", "images")
    path = os.path.join(images, name + ".raw")
    with open(path, "rb") as f:
        bgr = f.read()
    rgb = bytearray(len(bgr))
    rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
    if shrink == 1:
        return width, height, bytes(rgb)
    return width // shrink, height // shrink, _block_means(rgb, width, height, shrink)


def _block_means(rgb, width, height, shrink):
    """Each channel's rounded mean over every shrink x shrink block of an RGB image."""
    columns, count = width // shrink, shrink * shrink
    rounded_mean = bytes((total + count // 2) // count for total in range(255 * count + 1))
    means = bytearray()
    for y in range(0, height - shrink + 1, shrink):
        rows = [rgb[row * width * 3:(row + 1) * width * 3] for row in range(y, y + shrink)]
        line = bytearray(columns * 3)
        for channel in range(3):
            sums = [0] * columns
            for row in rows:
                for dx in range(shrink):
                    sums = list(map(int.__add__, sums, row[dx * 3 + channel::3 * shrink][:columns]))
            line[channel::3] = bytes(map(rounded_mean.__getitem__, sums))
        means += line
    return bytes(means)


def matches_image(shot, image, threshold=24):
    """Share of sampled pixels of a screenshot that match an image copied to the whole window."""
    return 1.0 - difference_share(shot, image, threshold)


def resize_window(window, width, height, timeout=30.0):
    """Resizes the window and waits until it has that size; returns its new listing, else None."""
    subprocess.run(["xdotool", "windowsize", window[0], str(width), str(height)], check=True, timeout=20)
    return wait_until(lambda: next((w for w in top_windows() if w[0] == window[0] and w[2:4] == (width, height)),
                                   None), timeout)


def wait_for_image(window, image, timeout=60.0):
    """Waits until the window shows the image (the program is up and drawing); true if it did."""
    return bool(wait_until(lambda: matches_image(screenshot(window), image) > 0.9, timeout))


def is_fractal(shot, title):
    """The fractal fills the window with many colours and does not look like the title image,
    which a title frame shows pixel for pixel outside its labels."""
    return matches_image(shot, title) < 0.5 and distinct_colours(shot) > 50


def wait_for_fractal(window, title, timeout=60.0):
    """Waits until the window shows the fractal rather than the title screen; true if it did."""
    return bool(wait_until(lambda: is_fractal(screenshot(window), title), timeout))
