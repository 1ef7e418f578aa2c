"""A capture from the default recording device that outlives its audio server, here PulseAudio.

While the server is away the picture fades and the program runs on; once it is back the capture
resumes without a key; and the program prints nothing all along."""
import tempfile
import time
import unittest

import harness

# The server stays away at least this long, several times what the program needs to see it gone.
SERVER_AWAY_SECONDS = 5.0


class CaptureRecovery:
    """The scenario for any audio server; a test case adds stop_server and start_server."""

    def test_a_capture_that_loses_its_server_fades_and_comes_back_without_a_key(self):
        title = harness.embedded_image("title")
        output = tempfile.TemporaryFile()
        self.addCleanup(output.close)
        tone = self.play()
        process = harness.start(["--viz"], output=output)
        self.addCleanup(harness.finish, process, 0)
        window = harness.wait_for_window(harness.WINDOW_TITLE)
        if window is None:
            self.fail("no program window appeared: " + harness.process_state(process))

        def fractal():
            return harness.is_fractal(harness.screenshot(window), title)

        def faded():
            return harness.matches_image(harness.screenshot(window), title) > 0.9

        def printed():
            output.seek(0)
            return output.read().decode(errors="replace")

        self.assertTrue(harness.wait_until(fractal, 60),
                        "the tone on the default device did not bring the fractal in")

        # The tone goes with its server: what the program saw last must not keep the picture alive.
        self.stop_server()
        away_since = time.time()
        self.addCleanup(self.server_back)
        tone.set()
        self.assertTrue(harness.wait_until(faded, 60),
                        "the picture did not fade while the server was away; the program printed:\n"
                        + printed()[:3000])
        while time.time() < away_since + SERVER_AWAY_SECONDS:
            self.assertIsNone(process.poll(), "the program ended while the server was away")
            time.sleep(0.2)
        self.assertIsNone(process.poll(), "the program ended while the server was away")

        self.start_server()
        self.play()
        if not harness.wait_until(fractal, 90):
            self.fail(f"the capture did not come back with the server: {harness.process_state(process)}; "
                      f"the program printed:\n{printed()[:3000]}")

        harness.key(window[0], "Escape")
        self.assertEqual(harness.finish(process, timeout=60), 0)
        self.assertEqual(printed(), "", f"the program printed:\n{printed()[:3000]}")

    def server_back(self):
        """Brings the server back after a failure, for the tests that follow."""
        if not harness.server_answers():
            self.start_server()

    def play(self):
        """Plays the tone into the sink until the returned event is set, or its server goes."""
        return harness.play_tone_during(self)


class OnPulseAudio(CaptureRecovery, unittest.TestCase):
    def stop_server(self):
        harness.stop_audio_server()

    def start_server(self):
        harness.start_audio_server()


if __name__ == "__main__":
    unittest.main()
