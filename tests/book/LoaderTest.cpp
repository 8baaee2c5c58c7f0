#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <vector>

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

TEST(ReadBookLines, ALargeBookReadsAsTheBytesDo) {
    // Large enough for the loader to fault its buffer in on another thread meanwhile, with a
    // terminator straddling two of its reads.
    std::string big;
    for (int i = 0; big.size() < (34u << 20); ++i)
        big += "line " + std::to_string(i) + (i % 7 ? "\r\n" : i % 2 ? "\r" : "\n");
    big.insert((4u << 20) - 1, "\r\n");
    TempBooks books;
    LineStore fromFile, fromMemory;
    ASSERT_TRUE(ReadBookLines(path(books.write("big.txt", big)), fromFile));
    ASSERT_TRUE(splitBookLines(big, fromMemory));
    EXPECT_EQ(std::string_view(fromFile.data(), fromFile.byteSize()), big);
    EXPECT_EQ(linesOf(fromFile), linesOf(fromMemory));
}

TEST(ReadBookLines, FailuresKeepThePreviousBook) {
    TempBooks books;
    LineStore s;
    ASSERT_TRUE(ReadBookLines(path(books.write("500.txt", test::NumberedBook(500))), s));
    ASSERT_TRUE(ReadBookLines(path(books.write("3.txt", test::NumberedBook(3))), s));
    const QString fifo = books.path("fifo");  // would block for ever if opened
    ASSERT_EQ(mkfifo(path(fifo).c_str(), 0600), 0);
    const QString locked = books.write("locked.txt", "secret");
    chmod(path(locked).c_str(), 0);
    std::vector<std::string> bad = {
        "", "   ", path(books.path("missing.txt")), path(books.folder()), "/dev/zero", path(fifo)};
    if (geteuid() != 0) bad.push_back(path(locked));
    for (const auto& p : bad) {
        EXPECT_FALSE(ReadBookLines(p, s)) << p;
        EXPECT_EQ(linesOf(s), (std::vector<std::string>{"Line 1", "Line 2", "Line 3"})) << p;
    }
}
