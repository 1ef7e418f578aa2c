"""Writes the manual page quasarine.1 from its frame (packaging/quasarine.1.in) and README.md's own
sections: the introduction, options, keys, monitors and screenshots, speakers, settings file and exit
codes, so the page cannot drift from the README. A section the frame asks for and the README lacks
stops the build.

Usage: man_page.py README.md FRAME OUTPUT VERSION SUMMARY"""
import re
import sys

PLACEHOLDER = re.compile(r"\{\{([^}]*)\}\}")
CODE = re.compile(r"`([^`]*)`")


def sections(markdown):
    """The introduction (under "INTRODUCTION") and each second-level section's body, by upper-case
    heading, each without its third-level subsections."""
    parts = re.split(r"^## (.+)$", markdown, flags=re.M)
    found = {"INTRODUCTION": parts[0]}
    for heading, body in zip(parts[1::2], parts[2::2]):
        found[heading.strip().upper()] = re.split(r"^### ", body, flags=re.M)[0]
    return found


def roff_text(text):
    """Markdown inline text as roff: code in bold with its hyphens as minus signs, backslashes
    escaped, and a leading dot or quote kept from reading as a request."""
    text = text.replace("\\", "\\e")
    pieces = CODE.split(text)
    for i in range(1, len(pieces), 2):
        pieces[i] = "\\fB" + pieces[i].replace("-", "\\-") + "\\fR"
    out = "".join(pieces)
    return "\\&" + out if out.startswith((".", "'")) else out


def table_rows(lines):
    """A Markdown table's cells, without the heading and separator rows."""
    rows = [[cell.strip() for cell in line.strip().strip("|").split("|")] for line in lines]
    return [row for row in rows[2:] if row]


def blocks(body):
    """A section's body as paragraphs, bullet lists, tables and indented code blocks."""
    found, kind, lines = [], None, []
    for line in body.strip("\n").splitlines() + [""]:
        if line.startswith("|"):
            this = "table"
        elif line.startswith("- ") or (kind == "list" and line.startswith("  ") and line.strip()):
            this = "list"
        elif line.startswith("    ") and kind != "list":
            this = "code"
        elif line.strip() and not line.startswith(("#", "![")):
            this = "paragraph"
        else:
            this = None
        if this != kind:
            if kind:
                found.append((kind, lines))
            kind, lines = this, []
        if this:
            lines.append(line)
    return found


def roff_block(kind, lines):
    if kind == "table":
        return [part for row in table_rows(lines)
                for part in (".TP", roff_text(row[0]), roff_text(" | ".join(row[1:])))]
    if kind == "list":
        items = re.split(r"\n- ", "\n" + "\n".join(lines))[1:]
        return [part for item in items
                for part in (".IP \\(bu 2", roff_text(" ".join(item.split())))]
    if kind == "code":
        return [".PP", ".RS", ".nf", *(roff_text(line[4:]) for line in lines), ".fi", ".RE"]
    return [".PP", roff_text(" ".join(" ".join(lines).split()))]


def roff_section(body):
    """A README section as roff. Paragraphs about Windows alone are left out of the Linux manual."""
    out = []
    for kind, lines in blocks(body):
        if kind == "paragraph" and lines[0].startswith("On Windows"):
            continue
        out += roff_block(kind, lines)
    # The first paragraph follows the section heading directly.
    if out and out[0] == ".PP":
        out = out[1:]
    return "\n".join(out)


def synopsis_name(name):
    """An option's name in bold, and its value, if the README gives one after a space, in italics."""
    option, _, value = name.partition(" ")
    bold = option.replace("-", "\\-")
    return bold + "\\ \\fI" + value + "\\fR" if value else bold


def synopsis(options_body):
    """Each option of the README's table as an optional argument, long and short forms together."""
    table = [line for line in options_body.splitlines() if line.startswith("|")]
    return "\n".join(".RB [ " + " | ".join(synopsis_name(name) for name in CODE.findall(row[0])) + " ]"
                     for row in table_rows(table))


def main():
    readme, frame, output, version, summary = sys.argv[1:6]
    with open(readme, encoding="utf-8") as f:
        found = sections(f.read())
    with open(frame, encoding="utf-8") as f:
        page = f.read()
    values = {"VERSION": version, "SUMMARY": summary[:1].lower() + summary[1:],
              "SYNOPSIS": synopsis(found.get("OPTIONS", ""))}

    def fill(match):
        name = match.group(1)
        if name in values:
            return values[name]
        if name not in found:
            sys.exit(f"man_page.py: README.md has no section \"{name}\" for the manual page")
        return roff_section(found[name])

    with open(output, "w", encoding="utf-8") as f:
        f.write(PLACEHOLDER.sub(fill, page))


if __name__ == "__main__":
    main()
