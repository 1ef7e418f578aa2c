"""What the Windows package holds: the zip's folder, a GUI executable importing only its four
libraries and Windows, the icon and version resources, PortAudio's host APIs, and the same embedded
images and demo track as the Linux build."""
import os
import re
import shutil
import subprocess
import tempfile
import unittest
import zipfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
WINDOWS_BUILD = os.path.join(ROOT, "build-windows")
DIST = os.path.join(WINDOWS_BUILD, "dist")
EXE = os.path.join(DIST, "quasarine.exe")
ZIP = os.path.join(WINDOWS_BUILD, "quasarine-1.0-windows-x64.zip")
FOLDER = "quasarine-1.0-windows-x64/"
LINUX_BUILD = os.environ.get("QUASARINE_BUILD_DIR", os.path.join(ROOT, "build"))
LIBRARIES = {"sdl2.dll", "glew32.dll", "libportaudio.dll", "libkissfft-float.dll"}
# DLLs that every Windows has; anything else must ship in the folder.
SYSTEM_DLLS = {"advapi32.dll", "gdi32.dll", "imm32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll",
               "oleaut32.dll", "opengl32.dll", "shell32.dll", "user32.dll", "version.dll", "winmm.dll"}


def objdump(path):
    return subprocess.run(["x86_64-w64-mingw32-objdump", "-p", path], capture_output=True, text=True,
                          check=True).stdout


def imports(path):
    return {name.lower() for name in re.findall(r"DLL Name: (\S+)", objdump(path))}


def resource(kind):
    return subprocess.run(["wrestool", "-x", "--raw", "-t", str(kind), EXE], capture_output=True,
                          check=True).stdout


class PackageContents(unittest.TestCase):
    def test_zip_holds_the_folder_the_program_its_libraries_and_the_text(self):
        with zipfile.ZipFile(ZIP) as archive:
            names = set(archive.namelist()) - {FOLDER}
            expected = {FOLDER + name for name in os.listdir(DIST)} | {FOLDER + "README.txt"}
            self.assertEqual(names, expected)
            for name in os.listdir(DIST):
                with open(os.path.join(DIST, name), "rb") as f:
                    self.assertEqual(archive.read(FOLDER + name), f.read(), name + " differs from dist")
            text = archive.read(FOLDER + "README.txt").decode("ascii")
        self.assertIn("\r\n", text)
        self.assertNotRegex(text, r"[^\r]\n", "every line ends in CR LF")
        for needed in ("--fullscreen, -f", "--viz, -v", "Esc", "Space", "Stereo Mix", "quasarine.exe"):
            self.assertIn(needed, text)
        self.assertNotIn("build.sh", text, "the user's text has no build instructions")

    def test_every_import_is_in_the_folder_or_part_of_windows(self):
        self.assertEqual({name.lower() for name in os.listdir(DIST)} - {"quasarine.exe"}, LIBRARIES)
        self.assertEqual(imports(EXE) & LIBRARIES, LIBRARIES)
        for name in os.listdir(DIST):
            self.assertLessEqual(imports(os.path.join(DIST, name)), LIBRARIES | SYSTEM_DLLS, name)

    def test_program_is_a_stripped_gui_executable(self):
        header = objdump(EXE)
        self.assertIn("(Windows GUI)", header)
        self.assertNotIn(".debug_info", subprocess.run(
            ["x86_64-w64-mingw32-objdump", "-h", EXE], capture_output=True, text=True).stdout)

    def test_icon_has_four_sizes_and_the_embedded_pixels(self):
        scratch = tempfile.mkdtemp()
        try:
            ico = os.path.join(scratch, "quasarine.ico")
            with open(ico, "wb") as f:
                f.write(subprocess.run(["wrestool", "-x", "-t", "14", EXE], capture_output=True,
                                       check=True).stdout)
            listing = subprocess.run(["icotool", "-l", ico], capture_output=True, text=True).stdout
            self.assertEqual(re.findall(r"--width=(\d+)", listing), ["16", "32", "48", "256"])
            rgb = subprocess.run(["convert", ico + "[0]", "-depth", "8", "rgb:-"], capture_output=True,
                                 check=True).stdout
        finally:
            shutil.rmtree(scratch)
        with open(os.path.join(LINUX_BUILD, "assets", "images", "icon.raw"), "rb") as f:
            bgr = f.read()
        red_green_blue = b"".join(bytes((bgr[i + 2], bgr[i + 1], bgr[i])) for i in range(0, len(bgr), 3))
        self.assertEqual(rgb, red_green_blue)

    def test_version_information_names_the_product_and_version(self):
        text = resource(16).decode("utf-16-le", "replace")
        self.assertRegex(text, "ProductName\0+Quasarine\0")
        self.assertRegex(text, "ProductVersion\0+1.0\0")
        self.assertRegex(text, "FileDescription\0+Quasarine: Stand-Alone Visualizer\0")

    def test_portaudio_has_the_mme_directsound_and_wasapi_host_apis(self):
        with open(os.path.join(DIST, "libportaudio.dll"), "rb") as f:
            library = f.read()
        for name in (b"MME", b"Windows DirectSound", b"Windows WASAPI"):
            self.assertIn(name + b"\0", library)

    def test_program_embeds_the_linux_builds_images_and_demo_track(self):
        with open(EXE, "rb") as f:
            program = f.read()
        images = os.path.join(LINUX_BUILD, "assets", "images")
        blocks = [os.path.join(images, name) for name in sorted(os.listdir(images)) if name.endswith(".raw")]
        blocks.append(os.path.join(LINUX_BUILD, "assets", "demo_track.f32"))
        self.assertEqual(len(blocks), 12)
        for path in blocks:
            with open(path, "rb") as f:
                self.assertIn(f.read(), program, os.path.basename(path) + " is not embedded as on Linux")


if __name__ == "__main__":
    unittest.main()
