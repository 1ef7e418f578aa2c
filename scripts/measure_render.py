"""Figures of rendering a song into a video (`quasarine --render`), headless through EGL, as markdown
tables: render time against draw-only time and the CPU use over a render; frames a second at three
sizes with each stage's time per frame; peak memory of a short song against a long one; and the
space that installing the Debian package adds to a clean Debian 12 root.

Usage: python3 scripts/measure_render.py [ratio] [sizes] [memory] [package]   (default: all four)
Knobs (environment): QUASARINE_BINARY (build/app/quasarine), QUASARINE_BUILD_DIR (build),
QUASARINE_RENDER_FROM and QUASARINE_RENDER_TO (10 and 20: the part of the demo track rendered by
the ratio and size runs, in seconds), QUASARINE_RENDER_LONG_SECONDS (1200: the long song of the
memory runs), QUASARINE_RENDER_PACKAGE=0 leaves out the package figure (which builds the .deb with
scripts/deb.sh and copies the cached clean root of scripts/debian_root.sh)."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

SOURCE_DIR = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
BUILD_DIR = os.environ.get("QUASARINE_BUILD_DIR", os.path.join(SOURCE_DIR, "build"))
BINARY = os.environ.get("QUASARINE_BINARY", os.path.join(BUILD_DIR, "app", "quasarine"))
FROM = float(os.environ.get("QUASARINE_RENDER_FROM", "10"))
TO = float(os.environ.get("QUASARINE_RENDER_TO", "20"))
LONG_SECONDS = int(os.environ.get("QUASARINE_RENDER_LONG_SECONDS", "1200"))
TICKS = os.sysconf("SC_CLK_TCK")

SUMMARY = re.compile(r"Rendered (.*): (\d+) frames, (\S+) of song in (\S+) \(([\d.]+) fps\)")
TIMINGS = re.compile(r"per frame: draw ([\d.]+) ms, read-back ([\d.]+) ms \(waiting for the encoder ([\d.]+) ms\), "
                     r"conversion ([\d.]+) ms, encode ([\d.]+) ms")


def machine_busy_seconds():
    """CPU seconds that all processes of the machine have used since boot (every core)."""
    with open("/proc/stat") as f:
        fields = [int(x) for x in f.readline().split()[1:]]
    user, nice, system, _idle, _iowait, irq, softirq, steal = fields[:8]
    return (user + nice + system + irq + softirq + steal) / TICKS


def load_average():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def thread_cpu(pid):
    """CPU seconds of each thread of a process: {tid: (name, seconds)}."""
    threads = {}
    try:
        tids = os.listdir(f"/proc/{pid}/task")
    except OSError:
        return threads
    for tid in tids:
        try:
            with open(f"/proc/{pid}/task/{tid}/stat") as f:
                text = f.read()
        except OSError:
            continue
        name = text[text.index("(") + 1:text.rindex(")")]
        fields = text.rsplit(")", 1)[1].split()
        threads[int(tid)] = (name, (int(fields[11]) + int(fields[12])) / TICKS)
    return threads


class Run:
    """One run of the program under /usr/bin/time, with its summary, its CPU use, its threads' CPU
    (sampled every 0.25 s) and the CPU that the rest of the machine used meanwhile."""

    def __init__(self, song, output, size, fps, preset, extra=()):
        command = [BINARY, "--render", song, "--size", size, "--fps", str(fps), "--preset", preset, *extra]
        if output is None:
            command.append("--draw-only")
        else:
            command += ["--output", output, "--overwrite"]
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        with tempfile.NamedTemporaryFile("r", prefix="quasarine-time.") as timing, \
                tempfile.TemporaryFile("w+") as out:
            self.load_before = load_average()
            busy = machine_busy_seconds()
            process = subprocess.Popen(["/usr/bin/time", "-o", timing.name, "-f", "%e %U %S %M", *command],
                                       stdout=out, stderr=subprocess.STDOUT, text=True, env=env)
            program, threads = None, {}
            while process.poll() is None:
                if program is None:
                    try:
                        with open(f"/proc/{process.pid}/task/{process.pid}/children") as f:
                            program = int(f.read().split()[0])
                    except (OSError, IndexError, ValueError):
                        pass
                if program is not None:
                    threads.update(thread_cpu(program))
                time.sleep(0.25)
            busy = machine_busy_seconds() - busy
            self.load_after = load_average()
            measured = timing.read().split()
            out.seek(0)
            output_text = out.read()
        if process.returncode != 0:
            sys.exit(f"{' '.join(command)} failed ({process.returncode}):\n{output_text}")
        self.wall, user, system = (float(x) for x in measured[-4:-1])
        self.cpu = user + system
        self.peak_kib = int(measured[-1])
        self.others = max(0.0, busy - self.cpu)
        # llvmpipe names its rasterizer threads; the rest are the main thread (the GL calls, the
        # analysis) and the unnamed others (the encoder's thread and x264's, the song's reader).
        self.llvmpipe = sum(cpu for name, cpu in threads.values() if name.startswith("llvmpipe"))
        self.main = threads.get(program, ("", 0.0))[1]
        self.rest = sum(cpu for tid, (name, cpu) in threads.items()
                        if tid != program and not name.startswith("llvmpipe"))
        summary, timings = SUMMARY.search(output_text), TIMINGS.search(output_text)
        if summary is None or timings is None:
            sys.exit(f"no summary in the output of {' '.join(command)}:\n{output_text}")
        self.frames = int(summary.group(2))
        self.fps = float(summary.group(5))
        self.draw, self.read_back, self.waiting, self.conversion, self.encode = (float(x) for x in timings.groups())
        if output is not None:
            os.remove(output)

    def threads(self):
        return f"{self.llvmpipe:.1f} / {self.main:.1f} / {self.rest:.1f}"

    def cpu_share(self):
        return f"{100 * self.cpu / self.wall:.0f} %"

    def others_share(self):
        return f"{100 * self.others / self.wall:.0f} %"

    def split(self):
        return (f"{self.draw:.1f} | {self.read_back:.1f} ({self.waiting:.1f}) | {self.conversion:.1f} | "
                f"{self.encode:.1f}")


def clock(seconds):
    return f"{int(seconds) // 60}:{seconds % 60:04.1f}"


def segment():
    return ["--from", str(FROM), "--to", str(TO)]


def ratio(song, work):
    print(f"### Render against draw-only: 1280x720, 30 fps, song {clock(FROM)}-{clock(TO)}")
    print()
    runs = []
    for name, preset, draw_only in (("draw-only", "veryfast", True), ("render, veryfast", "veryfast", False),
                                    ("render, medium", "medium", False), ("draw-only again", "veryfast", True)):
        output = None if draw_only else os.path.join(work, "ratio.mp4")
        runs.append((name, Run(song, output, "1280x720", 30, preset, segment())))
    wall = (runs[0][1].wall + runs[3][1].wall) / 2
    fps = (runs[0][1].fps + runs[3][1].fps) / 2
    cpu = (runs[0][1].cpu + runs[3][1].cpu) / 2
    print("Wall and CPU seconds (user + system) are the whole process's (/usr/bin/time), fps the program's")
    print("summary (first to last frame). Render / draw-only divides by the mean of the two draw-only runs:")
    print("wall time (start-up, the analysis up to the segment and the encoder's flush included), in")
    print("brackets the frame rate's inverse, and CPU seconds, which another job's load disturbs least.")
    print("Other processes' CPU is the rest of the machine's busy time over the same wall time (/proc/stat).")
    print()
    print("| Run | Frames | Wall (s) | fps | Render / draw-only: wall (fps) | CPU (s) | CPU / wall "
          "| Render / draw-only: CPU | Other processes' CPU | Load at start, end |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    for name, run in runs:
        print(f"| {name} | {run.frames} | {run.wall:.1f} | {run.fps:.1f} | {run.wall / wall:.2f} ({fps / run.fps:.2f}) "
              f"| {run.cpu:.1f} | {run.cpu_share()} | {run.cpu / cpu:.2f} | {run.others_share()} "
              f"| {run.load_before.split()[0]}, {run.load_after.split()[0]} |")
    print()
    print("Where the time goes: the summary's second line per frame (each stage on its own thread, so")
    print("they overlap), and the CPU seconds of the program's threads, sampled every 0.25 s: llvmpipe's")
    print("rasterizer threads, the main thread (GL calls, analysis), and the others (the encoder's and")
    print("x264's threads, the song's reader).")
    print()
    print("| Run | Draw (ms) | Read-back (waiting) (ms) | Conversion (ms) | Encode (ms) "
          "| CPU (s): llvmpipe / main / other threads |")
    print("|---|---|---|---|---|---|")
    for name, run in runs:
        print(f"| {name} | {run.split()} | {run.threads()} |")
    print()
    return runs[1][1]


def sizes(song, work, at_720=None):
    print(f"### Frames a second by size: 30 fps, preset veryfast, song {clock(FROM)}-{clock(TO)}")
    print()
    print("| Size | Frames | Wall (s) | fps | CPU / wall | Other processes' CPU | Draw (ms) "
          "| Read-back (waiting) (ms) | Conversion (ms) | Encode (ms) | CPU (s): llvmpipe / main / other threads |")
    print("|---|---|---|---|---|---|---|---|---|---|---|")
    for size in ("320x180", "1280x720", "1920x1080"):
        if size == "1280x720" and at_720 is not None:
            run, note = at_720, " (the ratio's run)"
        else:
            run, note = Run(song, os.path.join(work, "size.mp4"), size, 30, "veryfast", segment()), ""
        print(f"| {size}{note} | {run.frames} | {run.wall:.1f} | {run.fps:.1f} | {run.cpu_share()} "
              f"| {run.others_share()} | {run.split()} | {run.threads()} |")
    print()


def memory(song, work):
    long_song = os.path.join(work, "long.flac")
    # A 110 Hz tone with a 440 Hz beep every second: sound with beats all through.
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
                    f"sine=frequency=110:beep_factor=4:sample_rate=44100:duration={LONG_SECONDS}",
                    "-af", "volume=0.5", "-ac", "2", long_song], check=True)
    print(f"### Peak memory: the demo track against a {LONG_SECONDS // 60}-minute song, 64x36, 2 fps, ultrafast")
    print()
    print("| Song | Length | Frames | Wall (s) | Maximum resident set size (MiB) |")
    print("|---|---|---|---|---|")
    runs = []
    for name, path in (("demo track (FLAC)", song), (f"{LONG_SECONDS // 60}-minute tone with beeps (FLAC)", long_song)):
        run = Run(path, os.path.join(work, "memory.mp4"), "64x36", 2, "ultrafast")
        runs.append(run)
        print(f"| {name} | {clock(run.frames / 2)} | {run.frames} | {run.wall:.1f} | {run.peak_kib / 1024:.1f} |")
    print()
    print(f"Long against short: {runs[1].peak_kib / runs[0].peak_kib:.3f}")
    print()
    os.remove(long_song)


def megabytes(size):
    """apt's size ("487 MB", "1,234 kB": SI units) in MB."""
    number, unit = size.split()
    return float(number.replace(",", "")) * {"B": 1e-6, "kB": 1e-3, "MB": 1.0, "GB": 1e3}[unit]


def apt_plan(root, *arguments):
    """What apt-get install would add, and its sizes, without installing anything."""
    shown = root.run("apt-get", "install", "--assume-no", *arguments).stdout
    added = re.search(r"(\d+) newly installed", shown)
    # "Need to get 0 B/129 MB of archives." when the archives are cached already.
    download = re.search(r"Need to get (?:[\d.,]+ [kMG]?B/)?([\d.,]+ [kMG]?B)", shown)
    space = re.search(r"After this operation, ([\d.,]+ [kMG]?B) of additional disk space", shown)
    if added is None or space is None:
        sys.exit("apt-get's plan lacks its sizes:\n" + shown)
    return int(added.group(1)), download.group(1) if download else "0 B", space.group(1)


def package():
    sys.path.insert(0, os.path.join(SOURCE_DIR, "tests", "system"))
    import debian_package

    started = time.time()
    deb = debian_package.build_package()
    built = time.time() - started

    def field(name):
        return subprocess.run(["dpkg-deb", "-f", deb, name], capture_output=True, text=True, check=True).stdout.strip()

    own_mb = int(field("Installed-Size")) * 1024 / 1e6
    # The package's dependencies less FFmpeg's libraries: the first of each set of alternatives.
    others = [re.sub(r"\s*\(.*", "", alternatives.split("|")[0]).strip() for alternatives in field("Depends").split(",")]
    others = [name for name in others if not name.startswith(("libav", "libsw", "libpostproc"))]
    root = debian_package.ScratchRoot()
    try:
        inside = root.offer(deb)
        plans = [("apt-get install ./quasarine.deb (with Recommends)", apt_plan(root, inside)),
                 ("the same with --no-install-recommends", apt_plan(root, "--no-install-recommends", inside)),
                 ("its dependencies less FFmpeg's libraries, without the .deb (with Recommends)",
                  apt_plan(root, *others))]
    finally:
        root.remove()
    print("### Installing the Debian package on the clean Debian 12 root (minbase)")
    print()
    print(f"{os.path.basename(deb)}: {os.path.getsize(deb) / 1e6:.1f} MB, Installed-Size {own_mb:.1f} MB"
          f" (scripts/deb.sh took {built:.0f} s)")
    print()
    print("| Install | Packages added | Download size | Additional disk space |")
    print("|---|---|---|---|")
    for name, plan in plans:
        print(f"| {name} | " + " | ".join(str(x) for x in plan) + " |")
    print()
    ffmpeg = megabytes(plans[0][1][2]) - own_mb - megabytes(plans[2][1][2])
    print(f"FFmpeg's libraries and what only they pull in: about {ffmpeg:.0f} MB"
          f" (the first row less the .deb's own {own_mb:.1f} MB less the third row)")
    print()


def main():
    global BINARY
    parts = sys.argv[1:] or ["ratio", "sizes", "memory", "package"]
    unknown = set(parts) - {"ratio", "sizes", "memory", "package"}
    if unknown:
        sys.exit(f"unknown parts: {' '.join(sorted(unknown))} (ratio, sizes, memory, package)")
    if os.environ.get("QUASARINE_RENDER_PACKAGE", "1") == "0" and "package" in parts:
        parts.remove("package")
    with open("/proc/cpuinfo") as f:
        model = next((line.split(":", 1)[1].strip() for line in f if line.startswith("model name")), "?")
    print(f"Date: {time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime())}; {os.cpu_count()} cores, {model};"
          f" {BINARY} built {time.strftime('%Y-%m-%d %H:%M UTC', time.gmtime(os.path.getmtime(BINARY)))};"
          f" load average {load_average()} at the start")
    print()
    work = tempfile.mkdtemp(prefix="quasarine-render-bench.")
    try:
        # A copy, so that a rebuild during the measurement changes no figure of it.
        BINARY = shutil.copy(BINARY, os.path.join(work, "quasarine"))
        song = os.path.join(work, "demo.flac")
        subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "f32le", "-ar", "44100", "-ac", "2", "-i",
                        os.path.join(BUILD_DIR, "assets", "demo_track.f32"), song], check=True)
        at_720 = ratio(song, work) if "ratio" in parts else None
        if "sizes" in parts:
            sizes(song, work, at_720)
        if "memory" in parts:
            memory(song, work)
        if "package" in parts:
            package()
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(f"Load average at the end: {load_average()}")


if __name__ == "__main__":
    main()
