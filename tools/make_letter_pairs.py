#!/usr/bin/env python3
"""Writes src/book/LetterPairs.inc: how often each Russian letter follows another (or a word's
edge), and how letter case runs, learnt from Russian text. By default the text is every Russian
message catalogue of the machine's programs (/usr/share/locale/ru/LC_MESSAGES/*.mo), prose of
many hands that the measurements (bench/detect_fortunes.py) never see.

    python3 tools/make_letter_pairs.py [file.mo|file.txt ...]
"""
import gettext
import glob
import math
import os
import sys

LETTERS = "абвгдежзийклмнопрстуфхцчшщъыьэюя"


def texts(paths):
    for p in paths:
        if p.endswith(".mo"):
            try:
                with open(p, "rb") as f:
                    cat = gettext.GNUTranslations(f)._catalog
            except Exception:
                continue
            for v in cat.values():
                if isinstance(v, str):
                    yield v
        else:
            with open(p, encoding="utf-8", errors="replace") as f:
                yield f.read()


def symbol(ch):
    low = ch.lower().replace("ё", "е")
    i = LETTERS.find(low)
    return i + 1 if i >= 0 and low else 0


def main():
    paths = sys.argv[1:] or sorted(glob.glob("/usr/share/locale/ru/LC_MESSAGES/*.mo"))
    pairs = [[0.5] * 33 for _ in range(33)]
    case = [[0.5] * 2 for _ in range(3)]  # prev (edge, small, capital) -> (small, capital)
    letters = 0
    for text in texts(paths):
        prev, prevCase = 0, 0
        for ch in text:
            s = symbol(ch)
            pairs[prev][s] += 1
            if s:
                letters += 1
                cap = 1 if ch != ch.lower() else 0
                case[prevCase][cap] += 1
                prevCase = 1 + cap
            else:
                prevCase = 0
            prev = s
    out = ["// Made by tools/make_letter_pairs.py from %d Russian letters; do not edit." % letters,
           "// Cost in tenths of a nat of each symbol after another: 0 a word's edge, 1..32 а..я.",
           "constexpr unsigned char kPairCost[33][33] = {"]
    for row in pairs:
        total = sum(row)
        out.append("    {" + ", ".join(str(min(255, round(-10 * math.log(c / total)))) for c in row) + "},")
    out.append("};")
    out.append("// The same for a letter's case (small, capital) after a word's edge, a small letter, a capital.")
    out.append("constexpr unsigned char kCaseCost[3][2] = {")
    for row in case:
        total = sum(row)
        out.append("    {" + ", ".join(str(round(-10 * math.log(c / total))) for c in row) + "},")
    out.append("};")
    dest = os.path.join(os.path.dirname(__file__), "..", "src", "book", "LetterPairs.inc")
    with open(dest, "w") as f:
        f.write("\n".join(out) + "\n")
    print("%d letters from %d files" % (letters, len(paths)))


main()
