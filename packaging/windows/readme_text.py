"""Writes the README.txt of the Windows zip from README.md's own sections (what the program is,
options, the remembered sound source, keys, Windows and Stereo Mix, without their build
subsections), as plain text with Windows line endings."""
import re
import sys

SECTIONS = ("Options", "Remembered settings", "Keys and mouse", "Monitors, frame rate and screenshots", "Windows")


def sections(markdown):
    """The introduction and each second-level section's body, by heading."""
    parts = re.split(r"^## (.+)$", markdown, flags=re.M)
    found = {"": parts[0]}
    for heading, body in zip(parts[1::2], parts[2::2]):
        found[heading.strip()] = re.split(r"^### ", body, flags=re.M)[0]
    return found


def plain_table(lines):
    """A Markdown table as aligned columns, without the separator row and the code quotes."""
    rows = [[cell.strip().replace("`", "") for cell in line.strip().strip("|").split("|")]
            for line in lines if not re.match(r"^\|[-| ]+\|$", line.strip())]
    width = max(len(row[0]) for row in rows)
    return [f"  {row[0].ljust(width)}   {' | '.join(row[1:])}" for row in rows]


def plain_text(body):
    """A section's body without Markdown: tables aligned, images dropped, code quotes removed."""
    out, table = [], []
    for line in body.strip("\n").splitlines() + [""]:
        if line.startswith("|"):
            table.append(line)
            continue
        if table:
            out += plain_table(table)
            table = []
        if not line.startswith("!["):
            out.append(line.replace("`", ""))
    return out


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        found = sections(f.read())
    lines = ["Quasarine 1.0 for Windows (x64)", "===============================", ""]
    lines += [line for line in plain_text(found[""]) if not line.startswith("# ")]
    for heading in SECTIONS:
        lines += ["", heading, "-" * len(heading), ""] + plain_text(found[heading])
    # One blank line between paragraphs, none at the start or the end.
    text = re.sub(r"\n{3,}", "\n\n", "\n".join(lines)).strip("\n")
    with open(sys.argv[2], "w", encoding="utf-8", newline="\r\n") as f:
        f.write(text + "\n")


if __name__ == "__main__":
    main()
