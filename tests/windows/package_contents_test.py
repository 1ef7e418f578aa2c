"""What the Windows package holds: the zip's folder, a GUI executable importing only its libraries
(SDL2, GLEW, PortAudio, KISS FFT, FFmpeg) and Windows, the icon and version resources, PortAudio's
host APIs, the same embedded images and demo track as the Linux build, the licences of the program
and of everything it bundles, and the archive of its corresponding source."""
import hashlib
import io
import os
import re
import shutil
import subprocess
import tarfile
import tempfile
import unittest
import zipfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
WINDOWS_BUILD = os.path.join(ROOT, "build-windows")
DIST = os.path.join(WINDOWS_BUILD, "dist")
EXE = os.path.join(DIST, "quasarine.exe")
ZIP = os.path.join(WINDOWS_BUILD, "quasarine-1.0-windows-x64.zip")
SOURCE = os.path.join(WINDOWS_BUILD, "quasarine-1.0-windows-x64-source.tar.xz")
FOLDER = "quasarine-1.0-windows-x64/"
LINUX_BUILD = os.environ.get("QUASARINE_BUILD_DIR", os.path.join(ROOT, "build"))
# Each library of the folder, with the Debian source packages whose code it holds.
LIBRARIES = {"sdl2.dll": {"libsdl2"}, "glew32.dll": {"glew"}, "libportaudio.dll": {"portaudio19"},
             "libkissfft-float.dll": {"kissfft"}, "avcodec-59.dll": {"ffmpeg", "x264", "zlib"},
             "avformat-59.dll": {"ffmpeg"}, "avutil-57.dll": {"ffmpeg"}, "swresample-4.dll": {"ffmpeg"},
             "swscale-6.dll": {"ffmpeg"}}
# The toolchain's runtime pieces linked statically (MinGW-w64's CRT and winpthreads, libgcc and
# libstdc++), by the copyright file of the package they come from.
RUNTIME = {"mingw-w64": "/usr/share/doc/mingw-w64-x86-64-dev/copyright",
           "gcc-mingw-w64": "/usr/share/doc/g++-mingw-w64-x86-64-posix/copyright"}
# DLLs that every Windows has; anything else must ship in the folder.
SYSTEM_DLLS = {"advapi32.dll", "bcrypt.dll", "gdi32.dll", "imm32.dll", "kernel32.dll", "msvcrt.dll",
               "ole32.dll", "oleaut32.dll", "opengl32.dll", "shell32.dll", "user32.dll", "version.dll",
               "winmm.dll"}
COMMON_LICENSES = "/usr/share/common-licenses/"


def files_under(folder):
    """The relative paths (with /) of the files under folder."""
    return {os.path.relpath(os.path.join(top, name), folder).replace(os.sep, "/")
            for top, _, names in os.walk(folder) for name in names}


def read(path):
    with open(path, "rb") as f:
        return f.read()


def pinned_sources():
    """The Debian source packages and versions the dependency recipe names."""
    with open(os.path.join(ROOT, "scripts", "windows", "dependencies.sh")) as f:
        listing = re.search(r"^source_packages=\(([^)]*)\)", f.read(), re.M).group(1)
    return dict(entry.split("=", 1) for entry in listing.split())


def objdump(path):
    return subprocess.run(["x86_64-w64-mingw32-objdump", "-p", path], capture_output=True, text=True,
                          check=True).stdout


def imports(path):
    return {name.lower() for name in re.findall(r"DLL Name: (\S+)", objdump(path))}


def resource(kind):
    return subprocess.run(["wrestool", "-x", "--raw", "-t", str(kind), EXE], capture_output=True,
                          check=True).stdout


class PackageContents(unittest.TestCase):
    def test_zip_holds_the_folder_the_program_its_libraries_licences_and_the_text(self):
        with zipfile.ZipFile(ZIP) as archive:
            names = {name for name in archive.namelist() if not name.endswith("/")}
            expected = {FOLDER + name for name in files_under(DIST)} | {FOLDER + "README.txt"}
            self.assertEqual(names, expected)
            for name in files_under(DIST):
                self.assertEqual(archive.read(FOLDER + name), read(os.path.join(DIST, name)),
                                 name + " differs from dist")
            text = archive.read(FOLDER + "README.txt").decode("ascii")
        self.assertIn("\r\n", text)
        self.assertNotRegex(text, r"[^\r]\n", "every line ends in CR LF")
        for needed in ("--fullscreen, -f", "--viz, -v", "Esc", "Space", "Stereo Mix", "quasarine.exe"):
            self.assertIn(needed, text)
        self.assertNotIn("build.sh", text, "the user's text has no build instructions")

    def test_every_import_is_in_the_folder_or_part_of_windows(self):
        self.assertEqual({name.lower() for name in os.listdir(DIST)},
                         set(LIBRARIES) | {"quasarine.exe", "license.txt", "licenses"})
        self.assertEqual(imports(EXE) & set(LIBRARIES), set(LIBRARIES))
        for name in os.listdir(DIST):
            if name.lower().endswith((".exe", ".dll")):
                self.assertLessEqual(imports(os.path.join(DIST, name)), set(LIBRARIES) | SYSTEM_DLLS, name)

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
        library = read(os.path.join(DIST, "libportaudio.dll"))
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


class Licences(unittest.TestCase):
    """The program's licence, and the copyright file of every Debian source package whose code the
    folder holds, verbatim, with the licence texts they refer to; the source archive beside them."""

    @classmethod
    def setUpClass(cls):
        cls.archive = {}
        with tarfile.open(SOURCE) as archive:
            for member in archive.getmembers():
                if member.isfile():
                    cls.archive[member.name] = archive.extractfile(member).read()
        cls.licenses = os.path.join(DIST, "licenses")

    def source_file(self, name):
        """A file of the source archive by its path below the archive's one folder."""
        self.assertIn("quasarine-1.0-windows-x64-source/" + name, self.archive, name + " is not in the source archive")
        return self.archive["quasarine-1.0-windows-x64-source/" + name]

    def test_the_program_is_under_the_gpl_3(self):
        self.assertEqual(read(os.path.join(ROOT, "LICENSE")), read(COMMON_LICENSES + "GPL-3"))
        self.assertEqual(read(os.path.join(DIST, "LICENSE.txt")), read(os.path.join(ROOT, "LICENSE")))

    def test_the_libraries_hold_what_their_licences_name(self):
        codec = read(os.path.join(DIST, "avcodec-59.dll"))
        self.assertIn(b"x264 - core", codec)
        self.assertIn(b"deflate 1.2.13 Copyright", codec)

    def test_every_bundled_source_package_has_its_copyright_file_verbatim(self):
        packages = set().union(*LIBRARIES.values())
        for package in sorted(packages):
            debian = [name for name in self.archive
                      if re.search(rf"/debian-sources/{re.escape(package)}_[^/]*\.debian\.tar\.\w+$", name)]
            self.assertEqual(len(debian), 1, package)
            with tarfile.open(fileobj=io.BytesIO(self.archive[debian[0]])) as packaging:
                copyright_file = packaging.extractfile("debian/copyright").read()
            self.assertEqual(read(os.path.join(self.licenses, package + ".txt")), copyright_file, package)
        for name, path in RUNTIME.items():
            self.assertEqual(read(os.path.join(self.licenses, name + ".txt")), read(path), name)

        referred = set()
        for name in packages | set(RUNTIME):
            text = read(os.path.join(self.licenses, name + ".txt")).decode("utf-8", "replace")
            referred |= set(re.findall(re.escape(COMMON_LICENSES) + r"([A-Za-z0-9][A-Za-z0-9.+-]*[A-Za-z0-9+])", text))
        self.assertLessEqual({"GPL-2", "LGPL-2.1"}, referred)
        for name in referred:
            self.assertEqual(read(os.path.join(self.licenses, name + ".txt")), read(COMMON_LICENSES + name), name)
        self.assertEqual(set(os.listdir(self.licenses)),
                         {name + ".txt" for name in packages | set(RUNTIME) | referred} | {"README.txt"})

    def test_source_archive_holds_each_source_package_and_the_scripts_that_built_them(self):
        pinned = pinned_sources()
        self.assertLessEqual(set().union(*LIBRARIES.values()), set(pinned))
        for package, version in pinned.items():
            upstream_and_debian = version.split(":")[-1]
            dsc = self.source_file(f"debian-sources/{package}_{upstream_and_debian}.dsc").decode()
            self.assertRegex(dsc, rf"(?m)^Source: {re.escape(package)}$")
            self.assertRegex(dsc, rf"(?m)^Version: {re.escape(version)}$")
            listed = re.findall(r"(?m)^ ([0-9a-f]{64}) (\d+) (\S+)$", dsc)
            self.assertTrue(any(".debian.tar." in name for _, _, name in listed), package)
            self.assertTrue(any(".orig.tar." in name for _, _, name in listed), package)
            for sha256, size, name in listed:
                data = self.source_file("debian-sources/" + name)
                self.assertEqual((len(data), hashlib.sha256(data).hexdigest()), (int(size), sha256), name)
        windows_scripts = os.path.join(ROOT, "scripts", "windows")
        for name in ("dependencies.sh", "build.sh", "common.sh", "toolchain.cmake", "portaudio-mingw-wasapi.patch"):
            self.assertEqual(self.source_file("quasarine-1.0/scripts/windows/" + name),
                             read(os.path.join(windows_scripts, name)), name)
        self.assertEqual(self.source_file("quasarine-1.0/LICENSE"), read(os.path.join(ROOT, "LICENSE")))
        self.assertIn(b"QUASARINE_WINDOWS_SOURCES", self.source_file("README.txt"))
        self.assertFalse([name for name in self.archive if "/quasarine-1.0/build" in name], "builds are in the archive")


if __name__ == "__main__":
    unittest.main()
