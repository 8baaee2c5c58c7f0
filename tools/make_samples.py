#!/usr/bin/env python3
"""Build the sample books in samples/ from tools/sample_text.txt.

The source text is UTF-8 with LF line ends.  Every output file gets CR LF
line ends (the last line too) and no byte-order mark:

    samples/kniga-cp1251.txt   Windows-1251
    samples/kniga-cp866.txt    DOS 866
    samples/kniga-koi8r.txt    KOI8-R
    samples/kniga-utf8.txt     UTF-8

Windows-1251 has no box-drawing or shading characters, so for that file they
are replaced by plain ASCII (see BOX_TO_ASCII).  Any other character that a
target coding lacks is replaced through FALLBACK; a character with no
replacement stops the script with an error, so nothing is lost silently.

Usage:
    python3 tools/make_samples.py           write the files
    python3 tools/make_samples.py --check   exit 1 if a file is out of date

Standard library only.
"""

import argparse
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
SOURCE = ROOT / "tools" / "sample_text.txt"
SAMPLES = ROOT / "samples"

# Box drawing and shading -> ASCII, used for Windows-1251 only.
BOX_TO_ASCII = {
    "─": "-", "│": "|",
    "┌": "+", "┐": "+", "└": "+", "┘": "+",
    "├": "+", "┤": "+", "┬": "+", "┴": "+", "┼": "+",
    "░": ".", "▒": ":", "▓": "%", "█": "#", "▄": "_",
}

# Typographic characters that some codings lack (the text avoids them, but a
# later edit might bring one in).
FALLBACK = {
    "\u2014": "-",   # em dash
    "\u2013": "-",   # en dash
    "\u00ab": '"',   # left guillemet
    "\u00bb": '"',   # right guillemet
    "\u201e": '"', "\u201c": '"', "\u201d": '"',
    "\u2026": "...",
    "\u2116": "N",   # numero sign
    "\u00a0": " ",   # no-break space
}

TARGETS = [
    ("kniga-cp1251.txt", "cp1251", BOX_TO_ASCII),
    ("kniga-cp866.txt", "cp866", {}),
    ("kniga-koi8r.txt", "koi8_r", {}),
    ("kniga-utf8.txt", "utf-8", {}),
]


def read_source():
    raw = SOURCE.read_bytes()
    if raw.startswith(b"\xef\xbb\xbf"):
        sys.exit(f"{SOURCE}: must not start with a byte-order mark")
    if b"\r" in raw:
        sys.exit(f"{SOURCE}: must use LF line ends")
    text = raw.decode("utf-8")
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    return lines


def convert_line(line, codec, subst, counts):
    out = []
    for ch in line:
        rep = subst.get(ch, ch)
        try:
            rep.encode(codec)
        except UnicodeEncodeError:
            rep = FALLBACK.get(ch)
            if rep is None:
                sys.exit(f"{codec}: no way to write {ch!r} (U+{ord(ch):04X})")
        if rep != ch:
            counts[ch] = counts.get(ch, 0) + 1
        out.append(rep)
    return "".join(out)


def build(lines, codec, subst):
    counts = {}
    converted = [convert_line(line, codec, subst, counts) for line in lines]
    data = ("\r\n".join(converted) + "\r\n").encode(codec)
    return data, counts


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="compare with the files on disk instead of writing")
    args = parser.parse_args()

    lines = read_source()
    SAMPLES.mkdir(exist_ok=True)
    stale = []
    for name, codec, subst in TARGETS:
        data, counts = build(lines, codec, subst)
        path = SAMPLES / name
        if args.check:
            if not path.exists() or path.read_bytes() != data:
                stale.append(name)
            continue
        path.write_bytes(data)
        replaced = sum(counts.values())
        note = f", {replaced} characters replaced" if replaced else ""
        print(f"{path.relative_to(ROOT)}: {codec}, {len(lines)} lines, {len(data)} bytes{note}")
    if stale:
        print("out of date: " + ", ".join(stale) + " (run tools/make_samples.py)")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
