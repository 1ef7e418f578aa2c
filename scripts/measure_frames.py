"""Frame times of a demo-mode run under the virtual display, at a 320x180 window or the size given
as WIDTHxHEIGHT: the time between presented frames, stamped inside the program by the preloaded
frame clock of the benchmarks."""
import math
import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "system"))
import harness  # noqa: E402

RUN_SECONDS = float(os.environ.get("QUASARINE_FRAMES_SECONDS", "180"))
FRAME_CLOCK = os.path.join(os.environ.get("QUASARINE_BUILD_DIR", "build"), "bench",
                           "libframe_clock_preload.so")
LONG_FRAME_SECONDS = (0.5, 1.0)


def read_frame_log(path):
    """The presented frames as (kind, seconds on CLOCK_MONOTONIC), and how many did not fit the log."""
    frames, dropped = [], 0
    with open(path) as f:
        for line in f:
            kind, value = line.split()
            if kind == "dropped":
                dropped = int(value)
            else:
                frames.append((kind, int(value) / 1e9))
    return frames, dropped


def run_demo(log_path, width, height):
    """Runs the program in demo mode at that window size; returns the CLOCK_MONOTONIC times at which the
    window was confirmed at that size and at which Esc was sent, and the program's exit status."""
    title = harness.embedded_image("title")
    process = harness.start(["--viz"], env_extra={"LD_PRELOAD": os.path.abspath(FRAME_CLOCK),
                                                  "QUASARINE_FRAME_LOG": log_path})
    window = harness.wait_for_window(harness.WINDOW_TITLE, timeout=60)
    if window is None:
        harness.finish(process, timeout=1)
        sys.exit("the program's window did not appear")
    harness.wait_until(lambda: harness.matches_image(harness.screenshot(window), title) > 0.9, 30, 0.02)
    harness.key(window[0], "space")
    if not harness.resize_window(window, width, height):
        sys.exit(f"the window did not take the size {width}x{height}")
    measured_from = time.monotonic()
    time.sleep(RUN_SECONDS)
    quit_sent = time.monotonic()
    harness.key(window[0], "Escape")
    # A frame in progress may take long on llvmpipe; the log is written only at a normal exit.
    status = harness.finish(process, timeout=120)
    return measured_from, quit_sent, status


def percentile(sorted_values, share):
    """Nearest-rank percentile: the smallest value with at least that share of values at or below it."""
    rank = max(1, math.ceil(share * len(sorted_values)))
    return sorted_values[rank - 1]


def measured_intervals(frames, measured_from):
    """Intervals between consecutive presented frames, each labelled with the kind of the frame
    that ends it and its start in seconds from measured_from. The first frame after measured_from
    only opens the measurement: the interval that it ends spans the resize."""
    intervals = []
    previous = None
    for kind, stamp in frames:
        if stamp < measured_from:
            continue
        if previous is not None:
            intervals.append((kind, stamp - previous, previous - measured_from))
        previous = stamp
    return intervals


def screen_stretches(intervals):
    """Runs of consecutive 2D screens as (start, length) in seconds from the start of the measurement."""
    stretches = []
    for kind, length, start in intervals:
        if kind != "S":
            continue
        if stretches and abs(stretches[-1][0] + stretches[-1][1] - start) < 1e-9:
            stretches[-1] = (stretches[-1][0], stretches[-1][1] + length)
        else:
            stretches.append((start, length))
    return stretches


def report(label, intervals):
    times = sorted(length for _, length, _ in intervals)
    if not times:
        print(f"{label}: none")
        return
    over = ", ".join(f"over {limit:g} s: {sum(1 for t in times if t > limit)}" for limit in LONG_FRAME_SECONDS)
    print(f"{label}: {len(times)} frames, median {statistics.median(times) * 1000:.1f} ms, "
          f"99th percentile {percentile(times, 0.99) * 1000:.1f} ms, maximum {times[-1] * 1000:.1f} ms, "
          f"{over}")


def window_size(argv):
    """The window size asked for on the command line, 320x180 when none is."""
    if len(argv) < 2:
        return 320, 180
    try:
        width, height = (int(part) for part in argv[1].split("x"))
    except ValueError:
        sys.exit(f"usage: {argv[0]} [WIDTHxHEIGHT]")
    return width, height


def main():
    width, height = window_size(sys.argv)
    if not os.path.exists(FRAME_CLOCK):
        sys.exit(f"{FRAME_CLOCK} is missing: build the target frame_clock_preload")
    with tempfile.TemporaryDirectory() as scratch:
        log_path = os.path.join(scratch, "frames.log")
        measured_from, quit_sent, status = run_demo(log_path, width, height)
        if status != 0 or not os.path.exists(log_path):
            sys.exit(f"the program did not end normally (status {status}); no frame log")
        frames, dropped = read_frame_log(log_path)
    intervals = measured_intervals(frames, measured_from)
    fractal = [i for i in intervals if i[0] == "F"]
    screens = [i for i in intervals if i[0] == "S"]
    excluded = sum(1 for _, stamp in frames if stamp < measured_from)
    print(f"demo mode at {width}x{height}: {RUN_SECONDS:.0f} s from the window reaching that size to Esc, "
          f"then until the program ended ({frames[-1][1] - quit_sent:.1f} s after Esc)")
    print(f"excluded: {excluded} frames presented before the window was {width}x{height}; "
          f"frames that did not fit the log: {dropped}")
    report("fractal frames (interval ending in a GL swap)", fractal)
    report("2D screens (interval ending in a 2D present)", screens)
    report("all presented frames", intervals)
    stretches = screen_stretches(intervals)
    print(f"2D screens (title while the picture is faded out): {len(stretches)} stretches, "
          f"{sum(length for _, length in stretches):.1f} s in all" +
          "".join(f"; {start:.1f} s for {length:.1f} s" for start, length in stretches[:5]))
    print("longest fractal frames (s from the start of the measurement: length):")
    for _, length, start in sorted(fractal, key=lambda i: i[1], reverse=True)[:5]:
        print(f"  {start:7.1f} s: {length * 1000:.1f} ms")


if __name__ == "__main__":
    main()
