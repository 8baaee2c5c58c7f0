#!/usr/bin/env python3
"""Coding detection on short real texts: every fortune of Debian's fortunes-ru, saved in each
8-bit Cyrillic coding, counted as read right, declined or read wrong. A verdict is right when
the coding it names turns the bytes back into the fortune (for a Russian text KOI8-R and KOI8-U
are then the same).

    python3 bench/detect_fortunes.py [--before REV] [--build DIR]

--before REV measures the detection of commit REV instead (its CodingDetect.cpp, built under
another name beside this tree's libraries). Needs fortunes-ru, g++ and a build of tresslin_book
(default build-bench, made as bench/compare.sh makes it).
"""
import argparse
import glob
import os
import subprocess
import sys
import tempfile

CODECS = {"Windows-1251": "cp1251", "DOS 866": "cp866", "KOI8-R": "koi8_r",
          "ISO-8859-5": "iso8859_5", "Mac Cyrillic": "mac_cyrillic", "IBM855": "cp855",
          "KOI8-U": "koi8_u", "UTF-8": "utf-8"}
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def fortunes():
    for path in sorted(glob.glob("/usr/share/games/fortunes/ru/*")):
        if path.endswith(".dat") or os.path.islink(path):
            continue
        with open(path, encoding="utf-8", errors="replace") as f:
            for text in f.read().split("\n%\n"):
                if any("а" <= c.lower() <= "я" or c in "ёЁ" for c in text):
                    yield text


def tool(build, before):
    out = os.path.join(tempfile.mkdtemp(), "verdicts")
    flags = ["g++", "-O2", "-std=c++20", "-I" + os.path.join(ROOT, "src"),
             "-I" + os.path.join(build, "src"), "-o", out]
    sources = [os.path.join(ROOT, "bench", "coding_verdicts.cpp")]
    if before:
        old = os.path.join(os.path.dirname(out), "old.cpp")
        with open(old, "w") as f:
            f.write(subprocess.check_output(
                ["git", "-C", ROOT, "show", before + ":src/book/CodingDetect.cpp"], text=True))
        flags += ["-DTRESSLIN_BEFORE", "-DdetectCoding=oldDetectCoding"]
        sources.append(old)
    lib = os.path.join(build, "src", "book", "libtresslin_book.a")
    subprocess.check_call(flags + sources + [lib])
    return out


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--before")
    ap.add_argument("--build", default=os.path.join(ROOT, "build-bench"))
    ap.add_argument("--show", type=int, default=0, help="print this many wrong verdicts a coding")
    args = ap.parse_args()
    texts = list(fortunes())
    rows = []
    for name in list(CODECS)[:7]:
        samples = []
        for t in texts:
            try:
                samples.append((t, t.encode(CODECS[name])))
            except UnicodeEncodeError:
                pass
        rows.append((name, samples))
    feed = b"".join(b"%d\n" % len(b) + b for _, samples in rows for _, b in samples)
    verdicts = subprocess.run([tool(args.build, args.before)], input=feed, check=True,
                              capture_output=True).stdout.decode().split("\n")
    print("%d fortunes with Cyrillic letters%s" % (len(texts),
                                                   " (detection of %s)" % args.before
                                                   if args.before else ""))
    print("| coding | fortunes | right | declined | wrong |")
    print("|---|---:|---:|---:|---:|")
    i = 0
    for name, samples in rows:
        right = declined = wrong = 0
        for text, data in samples:
            v = verdicts[i]
            i += 1
            if v == "-":
                declined += 1
            elif data.decode(CODECS[v], errors="replace") == text:
                right += 1
            else:
                wrong += 1
                if wrong <= args.show:
                    print("%s read as %s: %r" % (name, v, text[:300]), file=sys.stderr)
        print("| %s | %d | %d | %d | %d |" % (name, len(samples), right, declined, wrong))


main()
