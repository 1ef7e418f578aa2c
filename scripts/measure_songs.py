"""CPU time of the audio path while a song plays from a file against while the built-in demo track
plays, in the window under the private display and sound server of scripts/with_services.sh, as
markdown tables.

The audio path is every thread of the program but its main thread and llvmpipe's rasterizer threads
(the drawing, which dominates): PortAudio's callback thread (the copy to the output and the analysis),
the libpulse thread of ALSA's pulse plugin under it, and for a song the decoding thread (runDecoder).
Each thread is told by its name (/proc/PID/task/TID/comm) and, after the measured window, by its
stack (gdb): the program's unnamed threads are the audio threads and two idle threads of Mesa,
which are left out like Mesa's named ones (quasari:disk$0); a thread of no known stack counts.
Per thread and window: utime + stime (/proc/PID/task/TID/stat, in clock ticks) and the exact
on-CPU time (first field of /proc/PID/task/TID/schedstat, in ns), and the voluntary context
switches (/proc/PID/task/TID/status): how often it went to sleep, so about how often it woke.

Cases: demo, the program started without songs, Space pressed on the title screen once the window is
there; song, the program started as `quasarine song.flac` with a generated FLAC song (a chord with
a tremolo, a bass line, a beep and pink noise, different on each side, 44.1 kHz, 16 bit, stereo).
Each run settles for QUASARINE_SONGS_SETTLE seconds after the sound starts, is measured for
QUASARINE_SONGS_SECONDS, and then the sink's monitor is recorded for 1.5 s (up to three times): a run
whose sound is silent fails. The cases take turns; the order turns round every repeat.

A run during which other processes used more than QUASARINE_SONGS_OTHERS_LIMIT cores (the machine's
busy time in /proc/stat less the program's, the sound server's and Xvfb's) counts as disturbed and
is run again, up to QUASARINE_SONGS_ATTEMPTS times; the least disturbed attempt is kept, marked.

Usage: scripts/with_services.sh python3 scripts/measure_songs.py   (or scripts/measure_songs.sh)
Knobs (environment): QUASARINE_BINARY (build/app/quasarine), QUASARINE_BUILD_DIR (build),
QUASARINE_SONGS_SECONDS (20), QUASARINE_SONGS_SETTLE (5), QUASARINE_SONGS_REPEATS (3),
QUASARINE_SONGS_SONG_SECONDS (60), QUASARINE_SONGS_OTHERS_LIMIT (0.25), QUASARINE_SONGS_ATTEMPTS (3).
Exit status: 0 when the song's audio path costs at most 1.5 times the demo track's (medians of the
exact on-CPU time), 3 when it costs more, 1 when a run fails."""
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

SOURCE_DIR = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
sys.path.insert(0, os.path.join(SOURCE_DIR, "tests", "system"))
import harness  # noqa: E402

BUILD_DIR = os.environ.get("QUASARINE_BUILD_DIR", os.path.join(SOURCE_DIR, "build"))
BINARY = os.environ.get("QUASARINE_BINARY", os.path.join(BUILD_DIR, "app", "quasarine"))
SECONDS = float(os.environ.get("QUASARINE_SONGS_SECONDS", "20"))
SETTLE = float(os.environ.get("QUASARINE_SONGS_SETTLE", "5"))
REPEATS = int(os.environ.get("QUASARINE_SONGS_REPEATS", "3"))
SONG_SECONDS = int(os.environ.get("QUASARINE_SONGS_SONG_SECONDS", "60"))
OTHERS_LIMIT = float(os.environ.get("QUASARINE_SONGS_OTHERS_LIMIT", "0.25"))
ATTEMPTS = int(os.environ.get("QUASARINE_SONGS_ATTEMPTS", "3"))
GOAL = 1.5
TICKS = os.sysconf("SC_CLK_TCK")

# Roles of the threads, told by their stacks; the first that matches a frame wins.
DECODER, PORTAUDIO, LIBPULSE, MESA, OTHER = ("song decoder", "PortAudio callback", "libpulse mainloop",
                                             "Mesa (GL)", "other")
AUDIO_ROLES = (PORTAUDIO, LIBPULSE, DECODER, OTHER)
STACK_MARKS = ((DECODER, ("runDecoder",)), (PORTAUDIO, ("libportaudio",)), (LIBPULSE, ("libpulse",)),
               (MESA, ("swrast_dri", "libgallium", "libEGL", "libGLX", "libGL.so", "libglapi")))


class Fail(Exception):
    pass


def load_average():
    with open("/proc/loadavg") as f:
        return f.read().split()[0]


def machine_busy_seconds():
    """CPU seconds that all processes of the machine have used since boot (every core)."""
    with open("/proc/stat") as f:
        fields = [int(x) for x in f.readline().split()[1:]]
    user, nice, system, _idle, _iowait, irq, softirq, steal = fields[:8]
    return (user + nice + system + irq + softirq + steal) / TICKS


def process_seconds(pid):
    """utime + stime of a whole process, 0 once it is gone."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
    except OSError:
        return 0.0
    return (int(fields[11]) + int(fields[12])) / TICKS


def threads_of(pid):
    """{tid: (name, ticks as seconds, on-CPU ns, voluntary switches)} of every thread of a process."""
    threads = {}
    try:
        tids = os.listdir(f"/proc/{pid}/task")
    except OSError:
        return threads
    for tid in tids:
        base = f"/proc/{pid}/task/{tid}"
        try:
            with open(f"{base}/stat") as f:
                stat = f.read()
            with open(f"{base}/schedstat") as f:
                on_cpu = int(f.read().split()[0])
            with open(f"{base}/status") as f:
                voluntary = next(int(line.split()[1]) for line in f if line.startswith("voluntary_ctxt_switches"))
        except (OSError, StopIteration):
            continue
        name = stat[stat.index("(") + 1:stat.rindex(")")]
        fields = stat.rsplit(")", 1)[1].split()
        threads[int(tid)] = (name, (int(fields[11]) + int(fields[12])) / TICKS, on_cpu, voluntary)
    return threads


def children(pid):
    try:
        with open(f"/proc/{pid}/task/{pid}/children") as f:
            return [int(x) for x in f.read().split()]
    except OSError:
        return []


def command_line(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return f.read().replace(b"\0", b" ").decode(errors="replace")
    except OSError:
        return ""


def services():
    """Process ids of the sound server and the X server of scripts/with_services.sh (None where not found)."""
    config = os.environ.get("QUASARINE_PULSE_CONFIG", "")
    server = xvfb = None
    for pid in children(os.getppid()):
        line = command_line(pid)
        if line.startswith("Xvfb "):
            xvfb = pid
        elif config and config in line:
            server = pid
    if server is None and config:
        found = subprocess.run(["pgrep", "-f", "--", config], capture_output=True, text=True).stdout.split()
        server = int(found[0]) if found else None
    return server, xvfb


def stack_roles(pid):
    """{tid: role} from the stacks of every thread, as gdb finds them."""
    result = subprocess.run(["gdb", "-p", str(pid), "-batch", "-ex", "thread apply all bt 40"],
                            capture_output=True, text=True, timeout=180)
    roles, current, frames = {}, None, []

    def settle():
        if current is not None:
            text = " ".join(frames)
            roles[current] = next((role for role, marks in STACK_MARKS if any(m in text for m in marks)), OTHER)

    for line in result.stdout.splitlines():
        thread = re.match(r'^Thread \d+ \(.*\(LWP (\d+)\)', line)
        if thread:
            settle()
            current, frames = int(thread.group(1)), []
        elif line.startswith("#"):
            frames.append(line)
    settle()
    if not roles:
        raise Fail(f"gdb showed no threads of {pid}:\n{result.stdout[-2000:]}\n{result.stderr[-2000:]}")
    return roles


class Run:
    """One run of the program: one case, its threads' CPU over the measured window."""

    def __init__(self, case, song, work, log_name):
        self.case = case
        config = tempfile.mkdtemp(prefix="config.", dir=work)
        log_path = os.path.join(work, log_name)
        with open(log_path, "w") as log:
            # As harness.start() does, with the configuration folder inside the work folder.
            env = dict(os.environ, XDG_CONFIG_HOME=config, SDL_VIDEO_X11_FORCE_EGL="1")
            process = subprocess.Popen([BINARY, *([song] if song else [])], env=env, stdin=subprocess.DEVNULL,
                                       stdout=log, stderr=subprocess.STDOUT)
        try:
            self._measure(process, song)
        except Fail as failure:
            with open(log_path, errors="replace") as f:
                raise Fail(f"{case}: {failure}\n{harness.process_state(process)}\nthe program's output "
                           f"ends:\n{f.read()[-3000:]}") from None
        finally:
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
                if harness.finish(process, timeout=20) is None:
                    print(f"({case}: the program did not end on SIGTERM within 20 s and was killed)")

    def _measure(self, process, song):
        pid = process.pid
        window = harness.wait_for_window(harness.WINDOW_TITLE, timeout=60, process=process)
        if window is None:
            raise Fail("no window")
        if song is None:
            # The title screen first: then Space starts the demo track, whose stream brings new threads.
            time.sleep(1.5)
            before = set(threads_of(pid))
            harness.key(window[0], "space")
            if not harness.wait_until(lambda: set(threads_of(pid)) - before, 15, 0.1):
                raise Fail("Space started no new thread (no demo track stream)")
        time.sleep(SETTLE)
        server, xvfb = services()
        first = threads_of(pid)
        program0, server0, xvfb0 = process_seconds(pid), process_seconds(server), process_seconds(xvfb)
        busy0, self.load_start, started = machine_busy_seconds(), load_average(), time.monotonic()
        while time.monotonic() - started < SECONDS:
            time.sleep(min(1.0, max(0.0, SECONDS - (time.monotonic() - started))))
            if process.poll() is not None:
                raise Fail(f"the program ended {time.monotonic() - started:.1f} s into the window")
        last = threads_of(pid)
        self.wall = time.monotonic() - started
        busy = machine_busy_seconds() - busy0
        self.load_end = load_average()
        program = process_seconds(pid) - program0
        self.server = (process_seconds(server) - server0) / self.wall if server else None
        self.xvfb = (process_seconds(xvfb) - xvfb0) / self.wall if xvfb else None
        self.others = max(0.0, busy - program - (self.server or 0) * self.wall - (self.xvfb or 0) * self.wall) / self.wall
        # parec hands over nothing at all in some short recordings: up to three tries.
        recorded = []
        for _ in range(3):
            data = harness.record_monitor(1.5)
            recorded.append(f"{len(data)} bytes, peak {harness.peak_level(data)}")
            if harness.peak_level(data) >= 300:
                break
        else:
            raise Fail(f"the sink's monitor is silent after the window (recordings: {'; '.join(recorded)}; full scale 32767)")
        roles = stack_roles(pid)
        self.came_or_went = len(set(first) ^ set(last))
        # Per thread over the window: (name, role, ticks s/s, on-CPU s/s, wakeups/s). A thread that
        # came during the window counts from zero.
        self.threads = {}
        for tid, (name, ticks, on_cpu, voluntary) in last.items():
            _, ticks0, on_cpu0, voluntary0 = first.get(tid, (name, 0.0, 0, 0))
            if tid == pid:
                role = "main"
            elif name.startswith("llvmpipe"):
                role = "llvmpipe"
            else:
                role = roles.get(tid, OTHER)
            self.threads[tid] = (name, role, (ticks - ticks0) / self.wall, (on_cpu - on_cpu0) / 1e9 / self.wall,
                                 (voluntary - voluntary0) / self.wall)
        for role in (PORTAUDIO, LIBPULSE) + ((DECODER,) if song else ()):
            if not any(t[1] == role for t in self.threads.values()):
                raise Fail(f"no thread of the role '{role}' (threads: {self.names()})")
        if self.audio_exact() <= 0 or program <= 0:
            raise Fail("no CPU time measured")

    def names(self):
        return ", ".join(f"{name} [{role}]" for name, role, *_ in sorted(self.threads.values()))

    def role_sum(self, roles, index):
        return sum(t[index] for t in self.threads.values() if t[1] in roles)

    def audio_exact(self):
        return self.role_sum(AUDIO_ROLES, 3)

    def audio_ticks(self):
        return self.role_sum(AUDIO_ROLES, 2)

    def role_exact(self, role):
        return self.role_sum((role,), 3)

    def wakeups(self, role):
        return self.role_sum((role,), 4)


def ms(seconds_per_second):
    return f"{1000 * seconds_per_second:.2f}"


def generate_song(path):
    """A minute of music-like sound: a chord with a tremolo, a bass line walking every half second, a
    beep four times a second, and pink noise of its own on each side."""
    left = ("0.12*sin(2*PI*220*t)*(0.7+0.3*sin(2*PI*3*t)) + 0.10*sin(2*PI*277.2*t) + 0.08*sin(2*PI*329.6*t)"
            " + 0.18*sin(2*PI*(55+27.5*mod(floor(2*t),4))*t)"
            " + 0.10*sin(2*PI*1760*t)*lt(mod(t,0.25),0.03)")
    right = ("0.12*sin(2*PI*220*t+1)*(0.7+0.3*sin(2*PI*2*t)) + 0.10*sin(2*PI*277.2*t+2) + 0.08*sin(2*PI*440*t)"
             " + 0.18*sin(2*PI*(55+27.5*mod(floor(2*t),4))*t)"
             " + 0.10*sin(2*PI*1318.5*t)*lt(mod(t+0.125,0.25),0.03)")
    graph = (f"aevalsrc=exprs='{left}|{right}':sample_rate=44100:duration={SONG_SECONDS}[tones];"
             f"anoisesrc=color=pink:amplitude=0.08:seed=1:sample_rate=44100:duration={SONG_SECONDS}[n1];"
             f"anoisesrc=color=pink:amplitude=0.08:seed=2:sample_rate=44100:duration={SONG_SECONDS}[n2];"
             "[n1][n2]amerge=inputs=2[noise];[tones][noise]amix=inputs=2:normalize=0[mix]")
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-filter_complex", graph, "-map", "[mix]", "-ac", "2",
                    "-ar", "44100", "-sample_fmt", "s16", "-c:a", "flac", path], check=True)
    probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "format=duration:stream=channels,sample_rate",
                            "-of", "default=noprint_wrappers=1", path], capture_output=True, text=True, check=True)
    return probe.stdout.split()


def decode_alone(path):
    """CPU seconds per second of song that FFmpeg's own command takes to decode the song to 32-bit
    float frames on one thread: the floor of the decoding thread's work. The command's start-up is
    taken out by also decoding the first 5 s alone: (whole - first 5 s) / (length - 5 s), medians
    of 3 each."""
    def cpu(limit):
        figures = []
        for _ in range(3):
            result = subprocess.run(["ffmpeg", "-nostdin", "-v", "info", "-benchmark", "-threads", "1", *limit,
                                     "-i", path, "-f", "f32le", "-ac", "2", "-ar", "44100", "-y", "/dev/null"],
                                    capture_output=True, text=True, check=True)
            bench = re.search(r"bench: utime=([\d.]+)s stime=([\d.]+)s", result.stderr)
            if bench is None:
                raise Fail("ffmpeg -benchmark printed no times:\n" + result.stderr[-2000:])
            figures.append(float(bench.group(1)) + float(bench.group(2)))
        return statistics.median(figures)
    whole, first = cpu([]), cpu(["-t", "5"])
    return max(0.0, whole - first) / (SONG_SECONDS - 5), whole / SONG_SECONDS


def attempt(case, song, work, label):
    """A run of the case, again while other processes disturb it; the least disturbed one."""
    best = None
    for n in range(1, ATTEMPTS + 1):
        run = Run(case, song, work, f"{label}.{n}.log")
        run.attempts = n
        if best is None or run.others < best.others:
            best = run
        if run.others <= OTHERS_LIMIT:
            break
        print(f"({label}: other processes used {run.others:.2f} cores, over {OTHERS_LIMIT}: attempt {n} of {ATTEMPTS})")
    best.disturbed = best.others > OTHERS_LIMIT
    best.tries = n
    return best


def median(runs, value):
    return statistics.median(value(run) for run in runs)


def main():
    global BINARY
    for tool in ("gdb", "xdotool", "xwininfo", "ffmpeg", "ffprobe", "parec"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is missing: run scripts/setup.sh")
    if "QUASARINE_PULSE_CONFIG" not in os.environ or "DISPLAY" not in os.environ:
        sys.exit("run under scripts/with_services.sh (or through scripts/measure_songs.sh)")
    if SONG_SECONDS < SETTLE + SECONDS + 15:
        sys.exit(f"the song ({SONG_SECONDS} s) must outlast start-up, settling and the window by 15 s")
    with open("/proc/cpuinfo") as f:
        model = next((line.split(":", 1)[1].strip() for line in f if line.startswith("model name")), "?")
    uptime = subprocess.run(["uptime"], capture_output=True, text=True).stdout.strip()
    print(f"Date: {time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())}; {os.cpu_count()} cores, {model};"
          f" {BINARY} built {time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime(os.path.getmtime(BINARY)))}")
    print(f"uptime at the start: {uptime}")
    print()
    work = tempfile.mkdtemp(prefix="quasarine-songs-bench.")
    failed = False
    try:
        # A copy, so that a rebuild during the measurement changes no figure of it.
        BINARY = shutil.copy(BINARY, os.path.join(work, "quasarine"))
        song = os.path.join(work, "song.flac")
        duration, rate, channels = None, None, None
        for entry in generate_song(song):
            key, value = entry.split("=", 1)
            duration = float(value) if key == "duration" else duration
            rate = value if key == "sample_rate" else rate
            channels = value if key == "channels" else channels
        print(f"Song: {os.path.getsize(song) / 1e6:.1f} MB FLAC, {duration:.1f} s, {rate} Hz, {channels} channels"
              f" ({8 * os.path.getsize(song) / duration / 1000:.0f} kbit/s).")
        alone, with_start = decode_alone(song)
        print(f"FFmpeg's command decoding the song alone (-threads 1, to 32-bit floats): {ms(alone)} ms"
              f" of CPU per second of song, start-up left out ({ms(with_start)} with it).")
        print(f"Each run: {SETTLE:g} s settling after the sound starts, then a {SECONDS:g} s window;"
              f" {REPEATS} repeats, the cases taking turns.")
        print()
        runs = {"demo": [], "song": []}
        order = []
        for repeat in range(REPEATS):
            cases = ("demo", "song") if repeat % 2 == 0 else ("song", "demo")
            for case in cases:
                run = attempt(case, None if case == "demo" else song, work, f"{case}{repeat + 1}")
                runs[case].append(run)
                order.append((repeat + 1, run))
        print("### Audio-path CPU per second of playing, each run")
        print()
        print("Audio path: every thread but the main thread and llvmpipe's. Exact: on-CPU time from schedstat;")
        print("ticks: utime + stime from stat (10 ms ticks). Wakeups: voluntary context switches a second.")
        print()
        print("| Repeat | Case | Audio path, exact (ms/s) | Audio path, ticks (ms/s) "
              "| PortAudio / libpulse / decoder (ms/s) | Wakeups/s: PortAudio / libpulse / decoder "
              "| Main / llvmpipe (ms/s) | Sound server / Xvfb (ms/s) | Other processes (cores) | Load at start, end |")
        print("|---|---|---|---|---|---|---|---|---|---|")
        for repeat, run in order:
            decoder = run.role_exact(DECODER) if run.case == "song" else None
            mark = f" (disturbed: attempt {run.attempts}, the least disturbed of {run.tries})" if run.disturbed else (
                f" (attempt {run.attempts})" if run.attempts > 1 else "")
            print(f"| {repeat} | {run.case}{mark} | {ms(run.audio_exact())} | {ms(run.audio_ticks())} "
                  f"| {ms(run.role_exact(PORTAUDIO))} / {ms(run.role_exact(LIBPULSE))} / "
                  f"{ms(decoder) if decoder is not None else '-'} "
                  f"| {run.wakeups(PORTAUDIO):.0f} / {run.wakeups(LIBPULSE):.0f} / "
                  f"{f'{run.wakeups(DECODER):.0f}' if decoder is not None else '-'} "
                  f"| {ms(run.role_sum(('main',), 3))} / {ms(run.role_sum(('llvmpipe',), 3))} "
                  f"| {ms(run.server) if run.server is not None else '?'} / {ms(run.xvfb) if run.xvfb is not None else '?'} "
                  f"| {run.others:.2f} | {run.load_start}, {run.load_end} |")
        print()
        print("### Medians")
        print()
        print("| Case | Audio path, exact (ms/s) | Audio path, ticks (ms/s) | PortAudio (ms/s) | libpulse (ms/s) "
              "| Decoder (ms/s) | Other non-GL threads (ms/s) | Decoder wakeups/s |")
        print("|---|---|---|---|---|---|---|---|")
        for case in ("demo", "song"):
            rs = runs[case]
            decoder = case == "song"
            print(f"| {case} | {ms(median(rs, Run.audio_exact))} | {ms(median(rs, Run.audio_ticks))} "
                  f"| {ms(median(rs, lambda r: r.role_exact(PORTAUDIO)))} "
                  f"| {ms(median(rs, lambda r: r.role_exact(LIBPULSE)))} "
                  f"| {ms(median(rs, lambda r: r.role_exact(DECODER))) if decoder else '-'} "
                  f"| {ms(median(rs, lambda r: r.role_exact(OTHER)))} "
                  f"| {f'{median(rs, lambda r: r.wakeups(DECODER)):.0f}' if decoder else '-'} |")
        print()
        exact = median(runs["song"], Run.audio_exact) / median(runs["demo"], Run.audio_exact)
        ticks_demo = median(runs["demo"], Run.audio_ticks)
        ticks = median(runs["song"], Run.audio_ticks) / ticks_demo if ticks_demo > 0 else float("inf")
        decoder = median(runs["song"], lambda r: r.role_exact(DECODER))
        wakeups = median(runs["song"], lambda r: r.wakeups(DECODER))
        print(f"Decoder thread: {ms(decoder)} ms/s, of which decoding alone would be about {ms(alone)} ms/s;"
              f" it went to sleep {wakeups:.0f} times a second, so about"
              f" {1e6 * max(0.0, decoder - alone) / max(wakeups, 1):.0f} us of CPU per wakeup beyond decoding.")
        print()
        print(f"Song / demo track, audio path: {exact:.2f} from the exact on-CPU time, {ticks:.2f} from the ticks"
              f" (medians); repeat by repeat (exact): "
              + ", ".join(f"{s.audio_exact() / d.audio_exact():.2f}" for d, s in zip(runs["demo"], runs["song"])) + ".")
        failed = exact > GOAL
        print(f"Goal: at most {GOAL}: {'not met' if failed else 'met'}.")
        print()
        print("Threads seen (name [role], over all runs):")
        seen = {}
        for run in runs["demo"] + runs["song"]:
            for name, role, *_ in run.threads.values():
                seen.setdefault((name, role), set()).add(run.case)
        for (name, role), cases in sorted(seen.items()):
            print(f"- {name} [{role}]: {', '.join(sorted(cases))}")
        changed = sum(run.came_or_went for run in runs["demo"] + runs["song"])
        print(f"Threads that came or went during a window, all runs: {changed}.")
        print()
    except Fail as failure:
        sys.exit(f"measurement failed: {failure}")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(f"Load average at the end: {' '.join(open('/proc/loadavg').read().split()[:3])}")
    sys.exit(3 if failed else 0)


if __name__ == "__main__":
    main()
