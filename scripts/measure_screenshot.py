"""What F12 costs the frame loop: the demo's fractal in full screen at 1920x1080 on the virtual
display, F12 pressed several times, and the frame that took the picture (the first fractal frame
presented after the key) against the frames around it, as the preloaded frame clock stamps them.
Usage: scripts/with_services.sh python3 scripts/measure_screenshot.py (QUASARINE_BINARY and
QUASARINE_BUILD_DIR name the build); QUASARINE_SCREENSHOT_PRESSES, 5, the number of presses."""
import os
import shutil
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "system"))
import harness  # noqa: E402
from measure_frames import FRAME_CLOCK, read_frame_log  # noqa: E402

PRESSES = int(os.environ.get("QUASARINE_SCREENSHOT_PRESSES", "5"))


def main():
    scratch = tempfile.mkdtemp(prefix="quasarine-shot-")
    log = os.path.join(scratch, "frames.log")
    process = harness.start(["--viz", "-f"], env_extra={"LD_PRELOAD": os.path.abspath(FRAME_CLOCK),
                                                        "QUASARINE_FRAME_LOG": log, "HOME": scratch})
    window = harness.wait_for_window(harness.WINDOW_TITLE, process=process)
    if window is None:
        sys.exit("the program's window did not appear")
    harness.key(window[0], "space")
    if not harness.wait_for_fractal(window, harness.embedded_image("title", 1920, 1080)):
        sys.exit("the fractal did not come in")
    presses = []
    for _ in range(PRESSES):
        time.sleep(3)
        presses.append(time.monotonic())
        harness.key(window[0], "F12")
    time.sleep(5)
    harness.key(window[0], "Escape")
    harness.finish(process, timeout=300)
    frames, _ = read_frame_log(log)
    saved = len(os.listdir(os.path.join(scratch, "Pictures", "Quasarine")))
    shutil.rmtree(scratch, True)
    stamps = [t for kind, t in frames if kind == "F"]
    intervals = list(zip(stamps, stamps[1:]))
    typical = statistics.median(b - a for a, b in intervals if a > presses[0] - 3)
    print(f"{window[2]}x{window[3]}, {saved} of {PRESSES} pictures saved; median fractal frame {typical * 1000:.0f} ms")
    for pressed in presses:
        # The key reaches the program within the frame under way; the next frame grabs.
        grabbing = [b - a for a, b in intervals if a > pressed][1:2]
        around = [b - a for a, b in intervals if pressed - 2 < a < pressed + 3]
        print(f"  F12: grabbing frame {grabbing[0] * 1000:.0f} ms, longest within 3 s after "
              f"{max(around) * 1000:.0f} ms")


if __name__ == "__main__":
    main()
