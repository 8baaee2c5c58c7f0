// The book core without any window: the loader, the find, wrapping and the chapter scan, next to
// the machine's bounds for the same work (filling fresh memory, reading the file, memchr over
// the bytes).
//
//   bench_book --book=B [--absent=W1 --common=W2] [--long=L] [benchmark flags]
//
// Words in UTF-8; L a book that is one long line.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "book/BookFind.h"
#include "book/Chapters.h"
#include "book/LineWrap.h"
#include "book/mdlFiles.h"
#include "book/mdlText.h"
#include "formats/BookFormats.h"
#include "settings/ChapterRule.h"

using namespace tresslin;

namespace {

std::string gBook, gAbsent, gCommon, gLong, gFb2;

std::size_t fileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? std::size_t(st.st_size) : 0;
}

// UTF-8 Cyrillic to Windows-1251.
std::string cp1251(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        char32_t cp = c;
        int n = 1;
        if (c >= 0xC0 && c < 0xE0 && i + 1 < utf8.size()) {
            cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            n = 2;
        }
        i += std::size_t(n);
        const auto b = unicodeToCp1251(cp);
        out += b ? char(*b) : '?';
    }
    return out;
}

void* freshHugeMapping(std::size_t bytes) {
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    madvise(p, bytes, MADV_HUGEPAGE);
    return p;
}

void BM_ReadBookLines(benchmark::State& state) {
    std::int64_t lines = 0;
    for (auto _ : state) {
        LineStore s;
        if (!ReadBookLines(gBook, s)) return state.SkipWithError("read failed");
        lines = s.size();
        state.PauseTiming();
        {
            LineStore gone = std::move(s);  // freed outside the measurement
        }
        state.ResumeTiming();
    }
    state.counters["lines"] = double(lines);
    state.SetBytesProcessed(state.iterations() * std::int64_t(fileSize(gBook)));
}

// A FictionBook read into its lines, with the origins of the lines.
void BM_ReadFictionBook(benchmark::State& state) {
    std::size_t lines = 0;
    for (auto _ : state) {
        const BookFile file(gFb2);
        FormattedBook book = readFormattedBook(file);
        if (!book.ok() || book.format != BookFormat::FictionBook)
            return state.SkipWithError("not a FictionBook");
        lines = std::size_t(std::count(book.text.begin(), book.text.end(), '\n'));
        state.PauseTiming();
        { FormattedBook gone = std::move(book); }
        state.ResumeTiming();
    }
    state.counters["lines"] = double(lines);
    state.SetBytesProcessed(state.iterations() * std::int64_t(fileSize(gFb2)));
}

// Bound: fresh memory of the file's size, faulted in (huge pages where granted).
void BM_PopulateFresh(benchmark::State& state) {
    const std::size_t n = fileSize(gBook);
    for (auto _ : state) {
        auto* p = static_cast<char*>(freshHugeMapping(n));
        for (std::size_t i = 0; i < n; i += 4096) p[i] = 1;
        benchmark::DoNotOptimize(p);
        state.PauseTiming();
        munmap(p, n);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(n));
}

// Bound: the file read into fresh memory in large reads, nothing else.
void BM_ReadIntoFresh(benchmark::State& state) {
    const std::size_t n = fileSize(gBook);
    for (auto _ : state) {
        auto* p = static_cast<char*>(freshHugeMapping(n));
        const int fd = ::open(gBook.c_str(), O_RDONLY | O_CLOEXEC);
        std::size_t got = 0;
        while (got < n) {
            const ssize_t r = ::read(fd, p + got, std::min<std::size_t>(n - got, 4u << 20));
            if (r <= 0) break;
            got += std::size_t(r);
        }
        ::close(fd);
        benchmark::DoNotOptimize(p);
        state.PauseTiming();
        munmap(p, n);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(n));
}

// Bound: finding every CR with memchr in bytes already in memory, offsets into reserved room.
void BM_MemchrSplit(benchmark::State& state) {
    LineStore s;
    if (!ReadBookLines(gBook, s)) return state.SkipWithError("read failed");
    std::vector<std::uint64_t> starts(std::size_t(s.size()) + 2);
    const char* t = s.data();
    const std::size_t n = s.byteSize();
    for (auto _ : state) {
        std::size_t k = 0, pos = 0;
        while (pos < n) {
            const void* hit = std::memchr(t + pos, '\r', n - pos);
            if (!hit) break;
            pos = std::size_t(static_cast<const char*>(hit) - t) + 1;
            starts[k++] = pos;
        }
        benchmark::DoNotOptimize(k);
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(n));
}

// Bound: one memchr over the whole book for a byte it does not hold.
void BM_MemchrAbsentByte(benchmark::State& state) {
    LineStore s;
    if (!ReadBookLines(gBook, s)) return state.SkipWithError("read failed");
    for (auto _ : state) benchmark::DoNotOptimize(std::memchr(s.data(), '\x01', s.byteSize()));
    state.SetBytesProcessed(state.iterations() * std::int64_t(s.byteSize()));
}

void BM_FindInLines(benchmark::State& state, const std::string* word) {
    LineStore s;
    if (!ReadBookLines(gBook, s)) return state.SkipWithError("read failed");
    const std::string needle = cp1251(*word);
    const auto& fold = tablesFor(kWindowsCyrillic).fold;
    for (auto _ : state) {
        const auto hit = findInLines(s, 1, s.upperBound(), needle, fold);
        if (hit != -1) return state.SkipWithError("the word must be absent");
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(s.byteSize()));
}

// A simple fixed-advance font for the 405-pixel strip: 7 pixels a character.
WrapMetrics stripMetrics() {
    return {[](char32_t) { return 7.0; }, 405.0};
}

// The first part of each line while stepping down from the book's middle, as Down does.
void BM_WrapOrdinary(benchmark::State& state) {
    LineStore s;
    if (!ReadBookLines(gBook, s)) return state.SkipWithError("read failed");
    const WrapMetrics metrics = stripMetrics();
    std::int64_t line = s.size() / 2;
    for (auto _ : state) {
        const LineWrap wrap(s.line(line), kWindowsCyrillic, metrics);
        benchmark::DoNotOptimize(wrap.partEnd(0));
        if (++line == s.size()) line = s.size() / 2;
    }
}

// The 200 MB one-line book: its first part, the next part after some, and the part before
// one that lies as far from its anchor as parts can (the longest walk back).
enum class LongStep { first, next, prev };
void BM_WrapLong(benchmark::State& state, LongStep step) {
    LineStore s;
    if (!ReadBookLines(gLong, s) || s.size() != 1) return state.SkipWithError("not one line");
    const std::string_view line = s.line(0);
    const WrapMetrics metrics = stripMetrics();
    const LineWrap wrap(line, kWindowsCyrillic, metrics);
    std::size_t from = 0;
    for (int i = 0; i < 1000; ++i) from = wrap.nextStart(from).value_or(from);
    const std::size_t far = wrap.partStartAt(1000 * LineWrap::kAnchorBytes - 1);
    for (auto _ : state) {
        if (step == LongStep::first) {
            const LineWrap fresh(line, kWindowsCyrillic, metrics);
            benchmark::DoNotOptimize(fresh.partEnd(0));
        } else if (step == LongStep::next) {
            const auto next = wrap.nextStart(from);
            benchmark::DoNotOptimize(wrap.partEnd(*next));
        } else {
            benchmark::DoNotOptimize(wrap.prevStart(far));
        }
    }
}

// Page Down over a whole book that holds no heading.
void BM_ChapterScan(benchmark::State& state, bool emptyLinesBetween) {
    LineStore s;
    if (!ReadBookLines(gBook, s)) return state.SkipWithError("read failed");
    if (emptyLinesBetween) {
        // Every line standing alone, so every short one is read as a possible heading.
        std::string bytes;
        bytes.reserve(s.byteSize() * 2);
        for (std::int64_t i = 0; i < s.size(); ++i) (bytes += s.line(i)) += "\r\n\r\n";
        if (!splitBookLines(bytes, s)) return state.SkipWithError("split failed");
    }
    for (auto _ : state) {
        if (nextChapterHeading(s, 0, kWindowsCyrillic) != -1)
            return state.SkipWithError("the book must hold no heading");
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(s.byteSize()));
}

// Page Down over the same book by a rule of the reader's; the book holds no line it matches.
void BM_ChapterRuleScan(benchmark::State& state, const char* pattern) {
    LineStore s;
    if (!ReadBookLines(gBook, s)) return state.SkipWithError("read failed");
    const auto rule = ChapterRule::make(QString::fromUtf8(pattern));
    if (!rule) return state.SkipWithError("invalid rule");
    for (auto _ : state) {
        if (rule->next(s, 0, kWindowsCyrillic) != -1)
            return state.SkipWithError("the book must hold no heading");
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(s.byteSize()));
}

std::string flag(int& argc, char** argv, const char* name) {
    const std::size_t n = std::strlen(name);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], name, n) == 0 && argv[i][n] == '=') {
            std::string v = argv[i] + n + 1;
            for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
            --argc;
            return v;
        }
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    gBook = flag(argc, argv, "--book");
    gAbsent = flag(argc, argv, "--absent");
    gCommon = flag(argc, argv, "--common");
    gLong = flag(argc, argv, "--long");
    gFb2 = flag(argc, argv, "--fb2");
    benchmark::Initialize(&argc, argv);
    if (gBook.empty()) {
        std::fprintf(stderr,
                     "usage: bench_book --book=FILE [--absent=W] [--common=W] [--long=FILE] "
                     "[--fb2=FILE]\n");
        return 2;
    }
    const auto ms = benchmark::kMillisecond;
    benchmark::RegisterBenchmark("Load/ReadBookLines", BM_ReadBookLines)->Unit(ms);
    benchmark::RegisterBenchmark("Bound/populate_fresh_memory", BM_PopulateFresh)->Unit(ms);
    benchmark::RegisterBenchmark("Bound/read_into_fresh_memory", BM_ReadIntoFresh)->Unit(ms);
    benchmark::RegisterBenchmark("Bound/memchr_split", BM_MemchrSplit)->Unit(ms);
    benchmark::RegisterBenchmark("Bound/memchr_absent_byte", BM_MemchrAbsentByte)->Unit(ms);
    if (!gAbsent.empty())
        benchmark::RegisterBenchmark("Find/absent", BM_FindInLines, &gAbsent)->Unit(ms);
    if (!gCommon.empty())
        benchmark::RegisterBenchmark("Find/commonest_letter", BM_FindInLines, &gCommon)->Unit(ms);
    benchmark::RegisterBenchmark("Chapters/scan", BM_ChapterScan, false)->Unit(ms);
    benchmark::RegisterBenchmark("Chapters/scan_empty_lines_between", BM_ChapterScan, true)
        ->Unit(ms);
    // A rule that begins with a literal, as most do, and one that must be tried on every line.
    benchmark::RegisterBenchmark("Chapters/rule_literal_start", BM_ChapterRuleScan, "^Глава [0-9]+")
        ->Unit(ms);
    benchmark::RegisterBenchmark("Chapters/rule_any_line", BM_ChapterRuleScan, "^[IVXLC]+\\.$")
        ->Unit(ms);
    const auto us = benchmark::kMicrosecond;
    benchmark::RegisterBenchmark("Wrap/ordinary_part", BM_WrapOrdinary)->Unit(us);
    if (!gLong.empty()) {
        benchmark::RegisterBenchmark("Wrap/long_first_part", BM_WrapLong, LongStep::first)
            ->Unit(us);
        benchmark::RegisterBenchmark("Wrap/long_next_part", BM_WrapLong, LongStep::next)->Unit(us);
        benchmark::RegisterBenchmark("Wrap/long_prev_part", BM_WrapLong, LongStep::prev)->Unit(us);
    }
    if (!gFb2.empty())
        benchmark::RegisterBenchmark("Formats/FictionBook", BM_ReadFictionBook)->Unit(ms);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
