#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <cstring>
#include <vector>

#include "book/mdlService.h"
#include "book/mdlText.h"
#include "support/TestSupport.h"

using namespace tresslin;
using tresslin::test::TempBooks;

namespace {
std::vector<std::string> linesOf(const LineStore& s) {
    std::vector<std::string> out;
    for (std::int64_t i = 0; i < s.size(); ++i) out.emplace_back(s.line(i));
    return out;
}
std::string path(const QString& p) {
    return QFile::encodeName(p).toStdString();
}
}  // namespace

struct SplitCase {
    std::string bytes;
    std::vector<std::string> lines;
};

TEST(splitBookLines, LineEnds) {
    const SplitCase cases[] = {
        {"", {""}},
        {"A\r\nB", {"A", "B"}},
        {"A\r\nB\r\n", {"A", "B"}},
        {"A\r\n\r\n", {"A", ""}},
        {"A\rB", {"A", "B"}},
        {"A\nB", {"A", "B"}},
        {"A\nB\n", {"A", "B"}},
        {"\r\n", {""}},
        {"\r", {""}},
        {"\n", {""}},
        {"\r\r", {"", ""}},
        {"\n\n", {"", ""}},
        {"A\n\rB", {"A", "", "B"}},
        {"A\n\r", {"A", ""}},
        {"A\r\r\nB", {"A", "", "B"}},
        {"A\r\n\nB", {"A", "", "B"}},
        {"A\rB\nC\r\nD", {"A", "B", "C", "D"}},
        {std::string("\0x\r\xff\xc0", 5), {std::string("\0x", 2), "\xff\xc0"}},
        {"A\x1a", {"A\x1a"}},
    };
    for (const auto& c : cases) {
        LineStore s;
        ASSERT_TRUE(splitBookLines(c.bytes, s));
        EXPECT_EQ(linesOf(s), c.lines) << testing::PrintToString(c.bytes);
    }
}

TEST(splitBookLines, AgreesWithThePlainReadingAcrossBlocks) {
    // Dense and sparse CR, LF and CR LF, so terminators fall on every offset of the splitter's
    // 64-byte words and 4 KB blocks.
    auto plain = [](std::string_view b) {
        std::vector<std::string> out;
        std::string cur;
        for (std::size_t i = 0; i < b.size(); ++i) {
            if (b[i] != '\r' && b[i] != '\n') {
                cur += b[i];
                continue;
            }
            if (b[i] == '\r' && i + 1 < b.size() && b[i + 1] == '\n') ++i;
            out.push_back(cur);
            cur.clear();
        }
        // What follows the last terminator is a line unless it is empty.
        if (!cur.empty() || out.empty()) out.push_back(cur);
        return out;
    };
    unsigned seed = 11;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (unsigned density : {3u, 40u, 300u}) {
        std::string b;
        while (b.size() < 20000) {
            const unsigned r = next() % density;
            b += r == 0 ? '\r' : r == 1 ? '\n' : char('a' + r % 26);
        }
        for (std::size_t cut : {b.size(), b.size() - 1, std::size_t(4097), std::size_t(64)}) {
            const std::string bytes = b.substr(0, cut);
            LineStore s;
            ASSERT_TRUE(splitBookLines(bytes, s));
            EXPECT_EQ(linesOf(s), plain(bytes)) << density << " " << cut;
        }
    }
}

TEST(LineStoreBuilder, EveryReadCutGivesTheSameLines) {
    // The loader splits each read as it arrives: a terminator cut between two reads, or a read
    // that ends right after a CR, must not change the lines.
    const std::string book =
        "\xEF\xBB\xBF"
        "a\r\nb\n\rc\r\r\nd\n\ne\r";
    LineStore whole;
    ASSERT_TRUE(splitBookLines(book, whole));
    for (std::size_t a = 0; a <= book.size(); ++a) {
        for (std::size_t b = a; b <= book.size(); ++b) {
            LineStoreBuilder builder;
            ASSERT_TRUE(builder.reserveText(book.size()));
            std::memcpy(builder.textData(), book.data(), book.size());
            for (std::size_t filled : {a, b, book.size()})
                ASSERT_TRUE(builder.addBytes(filled, false));
            ASSERT_TRUE(builder.addBytes(book.size(), true));
            EXPECT_EQ(linesOf(builder.take()), linesOf(whole)) << a << " " << b;
        }
    }
}

TEST(ReadBookLines, ChunkBoundariesDoNotChangeTheSplit) {
    // Terminators that straddle the loader's read chunks must still be read as in memory.
    std::string big;
    for (int i = 0; big.size() < (9u << 20); ++i) big += "line " + std::to_string(i) + "\r\n";
    const std::pair<std::size_t, const char*> cases[] = {{(4u << 20) - 1, "\r\n"},
                                                         {4u << 20, "\r\n"},
                                                         {(4u << 20) - 1, "\n\r"},
                                                         {(8u << 20) - 1, "\r\r\n"},
                                                         {8u << 20, "\n"}};
    for (const auto& [cut, ends] : cases) {
        std::string b = big;
        b.insert(cut, ends);
        TempBooks books;
        LineStore fromFile, fromMemory;
        ASSERT_TRUE(ReadBookLines(path(books.write("b.txt", b)), fromFile));
        ASSERT_TRUE(splitBookLines(b, fromMemory));
        EXPECT_EQ(linesOf(fromFile), linesOf(fromMemory)) << cut;
    }
}

TEST(ReadBookLines, ALargeBookReadsAsTheBytesDo) {
    // Large enough for the loader to fault its buffer in on another thread meanwhile; the text
    // must still be exactly the file's bytes, split as in memory.
    std::string big;
    big.reserve(41u << 20);
    for (int i = 0; big.size() < (40u << 20); ++i)
        big += "line " + std::to_string(i) +
               (i % 7   ? "\r\n"
                : i % 2 ? "\r"
                        : "\n") +
               std::string(std::size_t(i % 61), 'z');
    TempBooks books;
    LineStore fromFile, fromMemory;
    ASSERT_TRUE(ReadBookLines(path(books.write("big.txt", big)), fromFile));
    ASSERT_TRUE(splitBookLines(big, fromMemory));
    ASSERT_EQ(fromFile.byteSize(), big.size());
    EXPECT_EQ(std::string_view(fromFile.data(), fromFile.byteSize()), big);
    EXPECT_EQ(linesOf(fromFile), linesOf(fromMemory));
}

TEST(ReadBookLines, ReplacesThePreviousBookOnlyOnSuccess) {
    TempBooks books;
    LineStore s;
    ASSERT_TRUE(ReadBookLines(path(books.write("500.txt", test::NumberedBook(500))), s));
    EXPECT_EQ(s.size(), 500);
    ASSERT_TRUE(ReadBookLines(path(books.write("3.txt", test::NumberedBook(3))), s));
    EXPECT_EQ(linesOf(s), (std::vector<std::string>{"Line 1", "Line 2", "Line 3"}));

    const std::string bad[] = {
        "", "   ", path(books.path("missing.txt")), path(books.folder()), "/dev/zero", "/dev/null"};
    for (const auto& p : bad) {
        EXPECT_FALSE(ReadBookLines(p, s)) << p;
        EXPECT_EQ(s.size(), 3) << p;
    }
}

TEST(ReadBookLines, UnreadableAndSpecialFilesFailWithoutBlocking) {
    TempBooks books;
    LineStore s;
    const QString fifo = books.path("fifo");
    ASSERT_EQ(mkfifo(path(fifo).c_str(), 0600), 0);
    EXPECT_FALSE(ReadBookLines(path(fifo), s));  // would block forever if opened
    const QString locked = books.write("locked.txt", "secret");
    chmod(path(locked).c_str(), 0);
    if (geteuid() != 0) {
        EXPECT_FALSE(ReadBookLines(path(locked), s));
    }
    EXPECT_TRUE(s.empty());
}

TEST(ReadBookLines, MemoryExhaustionIsAFailureNotACrash) {
    TempBooks books;
    const QString big = books.write("big.txt", std::string(64u << 20, 'x'));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Far less address space than the book needs.
        rlimit lim{48u << 20, 48u << 20};
        rlimit cur{};
        getrlimit(RLIMIT_AS, &cur);
        setrlimit(RLIMIT_AS, &lim);
        LineStore s;
        const bool ok = ReadBookLines(path(big), s);
        _exit(ok ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "the loader crashed";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(FileExists, OnlyRegularFiles) {
    TempBooks books;
    const QString file = books.write("a b.txt", "x");
    EXPECT_TRUE(FileExists(path(file)));
// GCC 12 at -O3 reports a -Wrestrict overlap inside std::string's operator+ that cannot happen
// (GCC bug 105651); only this test builds such a string.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
    EXPECT_FALSE(FileExists(" " + path(file)));
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
    EXPECT_FALSE(FileExists(path(books.folder())));
    EXPECT_FALSE(FileExists("/dev/zero"));
    EXPECT_FALSE(FileExists(""));
    EXPECT_FALSE(FileExists("    "));
    const QString link = books.path("link.txt");
    ASSERT_EQ(symlink(path(file).c_str(), path(link).c_str()), 0);
    EXPECT_TRUE(FileExists(path(link)));
}

TEST(GetFileName, SplitsAtTheLastSlash) {
    const std::pair<const char*, const char*> cases[] = {
        {"/home/u/Books/war.txt", "war.txt"},
        {"war.txt", "war.txt"},
        {"/home/u/Books/", ""},
        {"C:\\Books\\war.txt", "C:\\Books\\war.txt"},
        {"", ""},
        {"/", ""}};
    for (const auto& [in, out] : cases) EXPECT_EQ(GetFileName(in), out) << in;
}
