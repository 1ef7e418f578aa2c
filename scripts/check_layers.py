#!/usr/bin/env python3
"""Checks that no program folder includes a header of a folder above it, or of one beside it.

The program reads top-down: the embedded data at the bottom, the platform layer on it, the renderer,
the audio and the media files beside each other, then the session's records beside the songs played
in the window, the director beside the overlays, the input handling, the session loop beside a song's video frames, and the program's top
last. Prints every include that breaks this and exits 1 if there is one. Usage: scripts/check_layers.py [ROOT]"""
import pathlib
import re
import sys

# Bottom first; folders on one level may not include each other.
LEVELS = [["assets"], ["platform"], ["render", "audio", "media"], ["state", "songs"], ["director", "overlays"], ["input"],
          ["session", "video"], ["app"]]
LEVEL_OF = {folder: level for level, folders in enumerate(LEVELS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^/"]+)/[^"]+"', re.MULTILINE)


def violations(root):
    found = []
    for folder, level in LEVEL_OF.items():
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp", ".in", ".S"):
                continue
            for included in INCLUDE.findall(path.read_text(errors="replace")):
                if included in LEVEL_OF and included != folder and LEVEL_OF[included] >= level:
                    found.append(f"{path.relative_to(root)} includes {included}/")
    return found


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    found = violations(root)
    for line in found:
        print(line)
    print(f"{len(found)} includes from a folder to one above or beside it")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
