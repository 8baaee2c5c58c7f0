#!/usr/bin/env bash
# Measures the program against wc and grep on the same synthetic books in the same run, and
# prints one table (also written to $BENCH_DIR/table.md).
#
#   bash bench/compare.sh
#
# Environment: BUILD_DIR (default build-bench), BENCH_DIR (default /tmp/tresslin-bench, needs
# about 1.5 GB), RUNS (repetitions for medians, default 7), KEEP_BOOKS=1 to keep the books.
# The books are read from the page cache on both sides: every tool and benchmark runs on warm
# files. Needs cmake, ninja, g++, Qt 6, libbenchmark-dev, python3, iconv, xmllint, zip and unzip
# (scripts/deps.sh test).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD_DIR:-$root/build-bench}
data=${BENCH_DIR:-/tmp/tresslin-bench}
runs=${RUNS:-7}

echo "== building in $build" >&2
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTRESSLIN_BUILD_BENCH=ON \
    -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target genbook bench_book bench_gui bench_startup tresslin >/dev/null

mkdir -p "$data"
cd "$data"
gen() {  # file bytes [--single]
    "$build/bench/genbook" "$@" >"$1.info"
}
echo "== generating books in $data" >&2
gen book100.txt 100000000
gen book1g.txt 1000000000
gen line200.txt 200000000 --single
iconv -f CP1251 -t UTF-8 book100.txt >book100.utf8.txt
gen book20.fb2 20000000 --fb2
rm -f book20.fb2.zip
zip -q -j book20.fb2.zip book20.fb2
rm -rf epub20 && python3 "$root/bench/make_epub.py" book20.fb2 book20.epub epub20
# 100 MB of UTF-16 with its byte-order mark: the first 50 MB of the book.
head -c 50000000 book100.txt | iconv -f CP1251 -t UTF-16 >book100.utf16.txt
: >empty.txt

# Search words: one absent from the text, and one (also absent) that starts with the text's
# commonest letter and ends with its second commonest, the hardest case for a scan.
absent=чемодан
common=отшельника
commonest=$(sed -n 's/^commonest //p' book100.txt.info)
if [ "$commonest" != "о" ]; then
    echo "the generator's commonest letter is '$commonest', expected 'о'" >&2
    exit 1
fi
for w in "$absent" "$common"; do
    n=$(LC_ALL=C grep -c -F "$(printf %s "$w" | iconv -f UTF-8 -t CP1251)" book100.txt || true)
    [ "$n" = 0 ] || { echo "'$w' occurs in the book ($n lines)" >&2; exit 1; }
done

export QT_QPA_PLATFORM=offscreen
echo "== reference tools and benchmarks ($runs runs each)" >&2
python3 - "$build" "$data" "$runs" "$absent" "$common" <<'EOF'
import json, os, statistics, subprocess, sys, time

build, data, runs, absent, common = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4], sys.argv[5]
os.chdir(data)
cp = lambda w: w.encode("cp1251")
C = dict(os.environ, LC_ALL="C")
U = dict(os.environ, LC_ALL="C.UTF-8")
ref_cmds = {
    "wc100": (["wc", "-l", "book100.txt"], C),
    "wc1g": (["wc", "-l", "book1g.txt"], C),
    "grep_absent": (["grep", "-c", "-F", cp(absent), "book100.txt"], C),
    "grep_common": (["grep", "-c", "-F", cp(common), "book100.txt"], C),
    "grep_i_utf8": (["grep", "-c", "-i", "-F", absent, "book100.utf8.txt"], U),
    "wc_empty": (["wc", "-l", "empty.txt"], C),
    "grep_empty": (["grep", "-c", "-F", cp(absent), "empty.txt"], C),
    "xmllint_fb2": (["xmllint", "--stream", "--noout", "book20.fb2"], C),
    # Its output goes to /dev/null, as with "> /dev/null".
    "unzip_fb2": (["unzip", "-p", "book20.fb2.zip"], C),
    "xmllint_epub": (["sh", "-c", "xmllint --stream --noout epub20/*.xhtml"], C),
    "unzip_epub": (["unzip", "-p", "book20.epub"], C),
    "iconv_utf16": (["iconv", "-f", "UTF-16", "-t", "UTF-8", "book100.utf16.txt"], C),
}

def time_refs(samples):
    # Rounds over all tools, so that every tool sees the same machine.
    for _ in range(runs):
        for k, (cmd, env) in ref_cmds.items():
            t0 = time.perf_counter()
            subprocess.run(cmd, env=env, stdout=subprocess.DEVNULL)
            samples.setdefault(k, []).append((time.perf_counter() - t0) * 1000)

def bench(exe, args, out):
    subprocess.run([f"{build}/bench/{exe}", *args, f"--benchmark_out={out}",
                    "--benchmark_out_format=json"], check=True, stdout=subprocess.DEVNULL)
    return json.load(open(out))["benchmarks"]

def median_of(results, name, field="real_time"):
    for b in results:
        if b["run_name"] == name and b.get("aggregate_name", "median") == "median":
            if "error_occurred" in b and b["error_occurred"]:
                raise SystemExit(f"{name}: {b.get('error_message')}")
            v = b[field]
            unit = b.get("time_unit", "ms") if field == "real_time" else "x"
            return v / 1000.0 if unit == "us" else (v / 1e6 if unit == "ns" else v)
    raise SystemExit(f"no result for {name}")

load_before = open("/proc/loadavg").read().split()[:3]
samples = {}
# Warm the page cache for every file, then time the tools before and after our benchmarks.
for f in ("book100.txt", "book1g.txt", "line200.txt", "book100.utf8.txt", "book20.fb2",
          "book20.fb2.zip", "book20.epub", "book100.utf16.txt"):
    subprocess.run(["cat", f], stdout=subprocess.DEVNULL)
time_refs(samples)

reps = [f"--benchmark_repetitions={runs}", "--benchmark_report_aggregates_only=true"]
gui = bench("bench_gui", [f"--book=book100.txt", f"--absent={absent}", f"--common={common}",
                          "--long=line200.txt", "--fb2=book20.fb2", "--fb2zip=book20.fb2.zip",
                          "--epub=book20.epub", "--utf16=book100.utf16.txt",
                          "--benchmark_filter=^(Open|FindNext|PageDown|ShowLine|PositionWrites|Bound)",
                          *reps], "gui.json")
big = bench("bench_gui", ["--big=book1g.txt", "--benchmark_filter=^Open/big",
                          "--benchmark_repetitions=3", "--benchmark_report_aggregates_only=true"],
            "big.json")
place = {b["run_name"]: b for b in bench("bench_gui", ["--benchmark_filter=^PlaceWrites"], "place.json")}
core = bench("bench_book", ["--book=book100.txt", f"--absent={absent}", f"--common={common}",
                          "--long=line200.txt", *reps], "core.json")
start = bench("bench_startup", [], "startup.json")
time_refs(samples)

def open_once(path):
    out = subprocess.run([f"{build}/bench/bench_gui", f"--open-once={path}"], capture_output=True,
                         text=True, check=True).stdout.split()
    return dict(zip(out[0::2], out[1::2]))

mem100, mem1g = open_once("book100.txt"), open_once("book1g.txt")
mem16 = open_once("book100.utf16.txt")
utf8_16 = subprocess.run(["iconv", "-f", "UTF-16", "-t", "UTF-8", "book100.utf16.txt"],
                         capture_output=True, check=True).stdout
size16, lines16 = len(utf8_16), utf8_16.count(b"\n") + 1
del utf8_16
ref = {k: statistics.median(v) for k, v in samples.items()}

# Idle: the program left alone for 10 s with the timer off, CPU time and wake-ups (context
# switches of all its threads) counted from /proc.
def proc_counts(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    cpu = int(fields[11]) + int(fields[12])  # utime + stime, clock ticks
    switches = 0
    for tid in os.listdir(f"/proc/{pid}/task"):
        for line in open(f"/proc/{pid}/task/{tid}/status"):
            if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                switches += int(line.split()[1])
    return cpu, switches

cfg = os.path.join(data, "idle-config")
os.makedirs(os.path.join(cfg, "Tresslin"), exist_ok=True)
with open(os.path.join(cfg, "Tresslin", "Tresslin.ini"), "w") as f:
    f.write(f"[Settings]\nLast File={data}/book100.txt\nLast Line=5\n")
proc = subprocess.Popen([f"{build}/src/tresslin", f"{data}/book100.txt"],
                        env=dict(os.environ, XDG_CONFIG_HOME=cfg), stderr=subprocess.DEVNULL)
# Past the start-up and the reading place's one write after the book was opened.
time.sleep(5)
c0, s0 = proc_counts(proc.pid)
time.sleep(10)
c1, s1 = proc_counts(proc.pid)
proc.terminate()
proc.wait()
tick_ms = 1000 / os.sysconf("SC_CLK_TCK")
idle_cpu_ms, idle_wakeups = (c1 - c0) * tick_ms, s1 - s0

info = lambda f: dict(l.split(" ", 1) for l in open(f + ".info").read().splitlines())
lines100, lines1g = int(info("book100.txt")["lines"]), int(info("book1g.txt")["lines"])
size100, size1g = os.path.getsize("book100.txt"), os.path.getsize("book1g.txt")
MB = 1e6

rows = []
def row(measure, ours, reference, ratio, target, met):
    rows.append((measure, ours, reference, ratio, target, "yes" if met else "**no**"))

o = median_of(gui, "Open/book")
row("Open 100 MB book to first line painted", f"{o:.1f} ms", f"wc -l {ref['wc100']:.1f} ms",
    f"{o / ref['wc100']:.2f}x", "<= 3x", o <= 3 * ref["wc100"])
rss = int(mem100["maxrss_kb"]) * 1024
lim = size100 + 8 * lines100 + 40 * MB
row("Peak memory, 100 MB book open (whole process)", f"{rss / MB:.1f} MB",
    f"limit {lim / MB:.1f} MB", f"{rss / lim:.2f}", "<= file + 8 B/line + 40 MB", rss <= lim)
o = median_of(big, "Open/big")
row("Open 1 GB book to first line painted", f"{o:.0f} ms", f"wc -l {ref['wc1g']:.0f} ms",
    f"{o / ref['wc1g']:.2f}x", "<= 5x", o <= 5 * ref["wc1g"])
rss = int(mem1g["maxrss_kb"]) * 1024
lim = 1.05 * size1g + 8 * lines1g + 40 * MB
row("Peak memory, 1 GB book open (whole process)", f"{rss / MB:.0f} MB", f"limit {lim / MB:.0f} MB",
    f"{rss / lim:.2f}", "<= 1.05 x file + 8 B/line + 40 MB", rss <= lim)
o = median_of(gui, "Open/fb2")
row("Open 20 MB FictionBook (UTF-8) to first line painted", f"{o:.1f} ms",
    f"xmllint --stream --noout {ref['xmllint_fb2']:.1f} ms", f"{o / ref['xmllint_fb2']:.2f}x",
    "<= 2x", o <= 2 * ref["xmllint_fb2"])
o = median_of(gui, "Open/fb2_zip")
bound = 2 * ref["xmllint_fb2"] + 1.5 * ref["unzip_fb2"]
row("Open the same zipped (.fb2.zip) to first line painted", f"{o:.1f} ms",
    f"unzip -p > /dev/null {ref['unzip_fb2']:.1f} ms", f"{o / bound:.2f} of the bound",
    "<= 2 x xmllint + 1.5 x unzip", o <= bound)
f = median_of(gui, "FindNext/absent")
o = median_of(gui, "Open/epub")
bound = 2 * ref["xmllint_epub"] + 1.5 * ref["unzip_epub"]
row("Open 20 MB EPUB (the same text) to first line painted", f"{o:.1f} ms",
    f"xmllint {ref['xmllint_epub']:.1f} ms, unzip {ref['unzip_epub']:.1f} ms",
    f"{o / bound:.2f} of the bound", "<= 2 x xmllint + 1.5 x unzip", o <= bound)
o = median_of(gui, "Open/utf16")
row("Open 100 MB UTF-16 book to first line painted", f"{o:.1f} ms",
    f"iconv -f UTF-16 -t UTF-8 {ref['iconv_utf16']:.1f} ms", f"{o / ref['iconv_utf16']:.2f}x",
    "<= 1x", o <= ref["iconv_utf16"])
rss = int(mem16["maxrss_kb"]) * 1024
lim = size16 + 8 * lines16 + 40 * MB
row("Peak memory, 100 MB UTF-16 book open (whole process)", f"{rss / MB:.1f} MB",
    f"limit {lim / MB:.1f} MB", f"{rss / lim:.2f}", "<= its UTF-8 + 8 B/line + 40 MB", rss <= lim)
row("F3 over the whole 100 MB book, absent word", f"{f:.1f} ms",
    f"LC_ALL=C grep -c -F {ref['grep_absent']:.1f} ms", f"{f / ref['grep_absent']:.2f}x", "<= 1.5x",
    f <= 1.5 * ref["grep_absent"])
row("same, against case-insensitive grep on UTF-8", f"{f:.1f} ms",
    f"grep -c -i -F (C.UTF-8) {ref['grep_i_utf8']:.0f} ms", f"{ref['grep_i_utf8'] / f:.0f}x faster",
    ">= 10x faster", ref["grep_i_utf8"] >= 10 * f)
f = median_of(gui, "FindNext/commonest_letter")
row("F3, word starting with the commonest letter", f"{f:.1f} ms",
    f"LC_ALL=C grep -c -F {ref['grep_common']:.1f} ms", f"{f / ref['grep_common']:.2f}x", "<= 2x",
    f <= 2 * ref["grep_common"])
pd, f = median_of(gui, "PageDown/no_heading"), median_of(gui, "FindNext/absent")
row("Page Down over the whole 100 MB book (no heading)", f"{pd:.1f} ms",
    f"F3, absent word {f:.1f} ms", f"{pd / f:.2f}x", "<= 2x", pd <= 2 * f)
s = median_of(gui, "ShowLine/ordinary", "median_us")
row("ShowLine (Down to a part), ordinary line (median of calls)", f"{s:.1f} us", "", "", "< 20 us",
    s < 20)
s = median_of(gui, "ShowLine/single_line_book", "median_us") / 1000
row("ShowLine, the 200 MB single line, first part", f"{s:.2f} ms", "", "", "< 5 ms", s < 5)
s = median_of(gui, "ShowLine/single_line_next_part", "median_us") / 1000
row("ShowLine, the 200 MB single line, Down to the next part", f"{s:.2f} ms", "", "", "< 5 ms",
    s < 5)
c, fa = median_of(core, "Chapters/scan"), median_of(core, "Find/absent")
row("Chapter scan of the 100 MB book (Page Down, no heading)", f"{c:.1f} ms",
    f"FindInLines, absent word {fa:.1f} ms", f"{c / fa:.2f}x", "<= 2x", c <= 2 * fa)
w = median_of(core, "Wrap/ordinary_part") * 1000
row("Wrap: a part of an ordinary line (computing it)", f"{w:.2f} us", "", "", "< 20 us", w < 20)
for step, what in (("first", "first part"), ("next", "next part (Down)"),
                   ("prev", "part before, longest walk back (Up)")):
    w = median_of(core, f"Wrap/long_{step}_part") * 1000
    row(f"Wrap: the 200 MB single line, {what}", f"{w:.2f} us", "", "", "< 5 ms", w < 5000)
p = median_of(gui, "PositionWrites/10000")
row("10,000 position writes (3 keys) + flush", f"{p:.1f} ms", "", "", "< 1 s", p < 1000)
for name, what, most in (("auto_show_hour", "an hour of auto-show at 350 ms", 1200),
                         ("held_down_10s", "Down held 10 s at 40 repeats/s", 4)):
    b = place[f"PlaceWrites/{name}/iterations:1"]
    n, wait = int(b["replacements"]), b["max_unsaved_s"]
    row(f"Settings file replaced, {what} (simulated time)", f"{n} times, a change waits <= {wait:.2f} s",
        "", "", f"<= {most}, <= 3 s", n <= most and wait <= 3)
sm = [b for b in start if b["run_name"].startswith("Startup/first_paint")][0]
row("Start-up to first paint, last-file offer", f"{sm['tresslin_ms']:.1f} ms",
    f"minimal Qt {sm['minimal_ms']:.1f} ms", f"{sm['ratio']:.2f}x", "<= 1.25x", sm["ratio"] <= 1.25)
row("Idle 10 s, timer off", f"{idle_cpu_ms:.0f} ms CPU, {idle_wakeups} wake-ups", "", "",
    "no CPU time, no wake-ups", idle_cpu_ms == 0 and idle_wakeups == 0)

out = ["| measure | ours | reference | ratio | target | met? |", "|---|---|---|---|---|---|"]
out += ["| " + " | ".join(r) + " |" for r in rows]
extra = [
    "",
    "What bounds the figures (same run, medians):",
    "",
    "| measure | time |",
    "|---|---|",
]
def add(name, v, unit="ms"):
    extra.append(f"| {name} | {v:.2f} {unit} |")
add("ReadBookLines alone, 100 MB (no window)", median_of(core, "Load/ReadBookLines"))
add("fresh memory of 100 MB faulted in (huge pages)", median_of(core, "Bound/populate_fresh_memory"))
add("100 MB read into fresh memory, 4 MB reads", median_of(core, "Bound/read_into_fresh_memory"))
add("memchr line split of 100 MB in memory", median_of(core, "Bound/memchr_split"))
add("memchr for an absent byte over 100 MB", median_of(core, "Bound/memchr_absent_byte"))
add("FindInLines alone, absent word", median_of(core, "Find/absent"))
add("FindInLines alone, commonest-letter word", median_of(core, "Find/commonest_letter"))
add("Chapter scan, same book with an empty line after every line",
    median_of(core, "Chapters/scan_empty_lines_between"))
add("ShowLine ordinary, mean over the same calls (long lines weigh more)",
    median_of(gui, "ShowLine/ordinary") * 1000, "us")
for n in (64, 300, 4096, 32767):
    add(f"QLineEdit::setText of {n} Cyrillic chars (Qt's text layout)",
        median_of(gui, f"Bound/QLineEdit_setText/{n}") * 1000, "us")
    add(f"same with PreferNoShaping", median_of(gui, f"Bound/QLineEdit_setText_no_shaping/{n}") * 1000, "us")
add("Open 200 MB single-line book", median_of(gui, "Open/single_line_book"))
add("process start: wc -l on an empty file", ref["wc_empty"])
add("process start: grep -c -F on an empty file", ref["grep_empty"])
extra.append(f"| books | 100 MB: {lines100} lines; 1 GB: {lines1g} lines; one line of 200 MB |")
extra.append(f"| peak memory detail (KiB) | 100 MB: start {mem100['start_kb']}, window {mem100['window_kb']}, after open {mem100['maxrss_kb']}; 1 GB: after open {mem1g['maxrss_kb']} |")
load_after = open("/proc/loadavg").read().split()[:3]
extra.append(f"| machine load (1/5/15 min) | before {' '.join(load_before)}; after {' '.join(load_after)} |")
text = "\n".join(out + extra) + "\n"
open("table.md", "w").write(text)
print(text)
EOF

if [ "${KEEP_BOOKS:-0}" != 1 ]; then
    rm -f book1g.txt book1g.txt.info line200.txt line200.txt.info book100.utf8.txt book20.fb2 \
        book20.fb2.info book20.fb2.zip book20.epub book100.utf16.txt
    rm -rf epub20
fi
