"""Takes the README's screenshots from the built program under the test display and audio server
(title, the fractal in demo mode, controls guide, help screen at the default window size), and the
three overlay screens at a small, the default and a full-HD window; writes them to docs/screenshots/."""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "system"))
import harness  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
OUTPUT = os.path.join(ROOT, "docs", "screenshots")
# Half a 1366x768 laptop desktop, the program's default window, and full HD.
SIZES = [(683, 384), (960, 540), (1920, 1080)]
# The key that brings each overlay screen up from the title screen (and back).
OVERLAY_KEYS = {"title": None, "controls": "c", "help": "h"}


def fail(message):
    sys.exit(f"screenshots: {message}")


def resize(window, width, height):
    resized = harness.resize_window(window, width, height)
    if not resized:
        fail(f"the window did not take the size {width}x{height}")
    return resized


def steady(window):
    """Waits until two screenshots in a row are the same: the screen has been redrawn at its size."""
    previous = [harness.screenshot(window)]

    def same_as_before():
        shot = harness.screenshot(window)
        same = harness.difference_share(previous[0], shot, threshold=2) == 0.0
        previous[0] = shot
        return same
    if not harness.wait_until(same_as_before, 30, interval=0.5):
        fail("the screen did not settle")


def save(window, name):
    path = os.path.join(OUTPUT, name + ".png")
    harness.save_png(window, path)
    print(f"wrote {os.path.relpath(path, ROOT)}")


def overlay_screens(window):
    """Each overlay screen at each size; the default size also gives the README's shots."""
    for width, height in SIZES:
        window = resize(window, width, height)
        for name, key in OVERLAY_KEYS.items():
            if key:
                harness.key(window[0], key)
            steady(window)
            save(window, f"sizes/{name}-{width}x{height}")
            if (width, height) == (960, 540):
                save(window, name)
            if key:
                harness.key(window[0], key)
    return resize(window, 960, 540)


def fractal(window):
    title = harness.embedded_image("title")
    harness.key(window[0], "space")
    if not harness.wait_until(lambda: harness.is_fractal(harness.screenshot(window), title), 60):
        fail("the demo track did not bring the fractal in")
    # A few seconds in, the picture has left its fade-in and follows the music.
    time.sleep(5)
    save(window, "fractal")


def main():
    os.makedirs(os.path.join(OUTPUT, "sizes"), exist_ok=True)
    process = harness.start()
    window = harness.wait_for_window(harness.WINDOW_TITLE)
    if window is None or not harness.wait_for_image(window, harness.embedded_image("title")):
        harness.finish(process, timeout=1)
        fail("no title screen")
    window = overlay_screens(window)
    fractal(window)
    harness.key(window[0], "Escape")
    if harness.finish(process) != 0:
        fail("the program did not end normally")


if __name__ == "__main__":
    main()
