"""The Debian package made as the README says (scripts/deb.sh), and scratch copies of the cached
clean Debian 12 root (scripts/debian_root.sh) to install it in through apt, driven with chroot."""
import os
import shutil
import subprocess
import tempfile

SOURCE_DIR = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
ROOT_CACHE = os.environ.get("QUASARINE_DEBIAN_ROOT_CACHE", "/var/cache/quasarine-debroot")
# Downloaded packages are kept here between runs, beside the cached roots, never inside one.
ARCHIVES = os.path.join(ROOT_CACHE, "archives")

# Mounts what apt and the program need inside the root, in a mount namespace of the command's own
# that takes every mount with it when the command ends, whatever happens.
IN_ROOT = r"""set -e
root=$1 archives=$2
shift 2
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
mount --rbind /sys "$root/sys"
mount --bind "$archives" "$root/var/cache/apt/archives"
exec chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
  DEBIAN_FRONTEND=noninteractive "$@"
"""


def build_package():
    """Runs scripts/deb.sh, which builds the program and the package in build-deb/; the .deb's path."""
    result = subprocess.run(["bash", os.path.join(SOURCE_DIR, "scripts", "deb.sh")],
                            capture_output=True, text=True, timeout=1500)
    if result.returncode != 0:
        raise AssertionError("scripts/deb.sh failed:\n" + result.stderr[-3000:])
    return result.stdout.strip().splitlines()[-1]


class ScratchRoot:
    """A private copy of the clean root; the cached root itself is never changed."""

    def __init__(self):
        made = subprocess.run(["bash", os.path.join(SOURCE_DIR, "scripts", "debian_root.sh")],
                              capture_output=True, text=True, timeout=1200)
        if made.returncode != 0:
            raise AssertionError("scripts/debian_root.sh failed:\n" + made.stderr[-3000:])
        os.makedirs(os.path.join(ARCHIVES, "partial"), exist_ok=True)
        self.scratch = tempfile.mkdtemp(prefix="quasarine-debroot.")
        self.path = os.path.join(self.scratch, "root")
        subprocess.run(["cp", "-a", "--reflink=auto", made.stdout.strip(), self.path], check=True,
                       timeout=600)
        # Name resolution as on this machine now, not as when the root was made.
        resolv = os.path.join(self.path, "etc", "resolv.conf")
        if os.path.lexists(resolv):
            os.remove(resolv)
        shutil.copy("/etc/resolv.conf", resolv)

    def run(self, *command, timeout=600):
        """A command run as root inside the root, with its output captured as text."""
        return subprocess.run(["unshare", "--mount", "--propagation", "private", "--", "bash", "-c",
                               IN_ROOT, "in_root", self.path, ARCHIVES, *command],
                              capture_output=True, text=True, timeout=timeout)

    def file(self, path):
        """A path inside the root as seen from outside it."""
        return os.path.join(self.path, path.lstrip("/"))

    def packages(self):
        """The installed packages, leaving out removed ones whose configuration files stay."""
        listing = self.run("dpkg-query", "-W", "-f", "${db:Status-Abbrev} ${Package}\n").stdout
        return {line.split()[1] for line in listing.splitlines() if line.startswith("ii")}

    def offer(self, deb):
        """Puts the .deb into the root and reads fresh package lists, as a user would before
        installing it; the .deb's path inside the root."""
        shutil.copy(deb, self.file("/tmp"))
        update = self.run("apt-get", "update", "-q")
        if update.returncode != 0:
            raise AssertionError("apt-get update failed:\n" + update.stdout + update.stderr)
        return "/tmp/" + os.path.basename(deb)

    def install(self, inside):
        """apt-get install of the offered .deb; apt's output."""
        install = self.run("apt-get", "install", "-y", inside, timeout=1200)
        if install.returncode != 0:
            raise AssertionError("apt-get install failed:\n" + install.stdout[-3000:] + install.stderr)
        return install.stdout

    def remove(self):
        shutil.rmtree(self.scratch, ignore_errors=True)
