"""Whole-program figures under the virtual display: time from start to the first title frame on
screen, CPU time per second of demo-mode visualization at 320x180, and peak resident memory."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "system"))
import harness  # noqa: E402


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def peak_resident_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    return 0.0


def main():
    title = harness.embedded_image("title")
    started = time.time()
    process = harness.start(["--viz"])
    window = harness.wait_for_window(harness.WINDOW_TITLE, timeout=60)
    harness.wait_until(lambda: harness.matches_image(harness.screenshot(window), title) > 0.9, 30, 0.02)
    first_frame = time.time() - started
    harness.key(window[0], "space")
    subprocess.run(["xdotool", "windowsize", window[0], "320", "180"], check=True)
    time.sleep(5)
    before, t0 = cpu_seconds(process.pid), time.time()
    time.sleep(10)
    per_second = (cpu_seconds(process.pid) - before) / (time.time() - t0)
    peak = peak_resident_mib(process.pid)
    harness.key(window[0], "Escape")
    harness.finish(process)
    print(f"start to first title frame: {first_frame * 1000:.0f} ms")
    print(f"CPU time per second of demo visualization at 320x180: {per_second * 1000:.0f} ms")
    print(f"peak resident memory: {peak:.1f} MiB")


if __name__ == "__main__":
    main()
