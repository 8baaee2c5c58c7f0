// The book changed by another program while it loads: the loader reads at most what the file
// held when opened, split as a fresh split of it would be.
//
// To act at an exact moment of a load, this program puts its own read() in front of the C
// library's: while armed, every read of the book's file calls the hook first.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "Processes.h"
#include "book/mdlText.h"

using namespace tresslin;
using namespace tresslin::test;

namespace {
struct ReadHook {
    bool armed = false;
    ino_t ino = 0;
    int calls = 0;
    // The number of the read about to happen and how far the reader has read.
    std::function<void(int call, off_t offset)> action;
} gHook;
}  // namespace

extern "C" ssize_t read(int fd, void* buf, size_t count) {
    struct stat st {};
    if (gHook.armed && fstat(fd, &st) == 0 && st.st_ino == gHook.ino)
        gHook.action(++gHook.calls, lseek(fd, 0, SEEK_CUR));
    return syscall(SYS_read, fd, buf, count);
}

namespace {

constexpr std::size_t kMB = 1u << 20;

// Windows Cyrillic lines of varied length, CR LF ended, about bytes long.
std::string masterText(std::size_t bytes) {
    std::string s;
    for (int i = 0; s.size() < bytes; ++i)
        s += "Line " + std::to_string(i) + ' ' +
             std::string(std::size_t(i % 97), char(0xE0 + i % 32)) + "\r\n";
    return s;
}

// The store holds bytes exactly, split as a fresh split of them would be.
void expectStoreOf(const LineStore& store, std::string_view bytes) {
    LineStore fresh;
    ASSERT_TRUE(splitBookLines(bytes, fresh));
    ASSERT_EQ(std::string_view(store.data(), store.byteSize()), bytes);
    ASSERT_EQ(store.size(), fresh.size());
    for (std::int64_t i = 0; i < store.size(); ++i) ASSERT_EQ(store.line(i), fresh.line(i)) << i;
}

}  // namespace

TEST(BookChanges, ChangedWhileLoadingTheLoaderReadsWhatWasThereAtOpen) {
    TempBooks books;
    const std::string master = masterText(10 * kMB);
    const std::string path = books.path("book.txt").toStdString();
    const auto cut = [&](std::size_t n) {
        return [&path, n] { ASSERT_EQ(::truncate(path.c_str(), off_t(n)), 0); };
    };
    const struct {
        const char* what;
        int atRead;         // before the loader's read number atRead (1: before any byte)
        std::size_t keeps;  // what the load holds beyond what was read: that much of the master
        std::function<void()> change;
    } changes[] = {
        {"truncated to 1 MB after the first read", 2, kMB, cut(kMB)},
        {"truncated to nothing before the first read", 1, 0, cut(0)},
        {"truncated within the last read", 3, 9 * kMB + 100, cut(9 * kMB + 100)},
        {"grown before the first read", 1, master.size(),
         [&] {
             QFile f(QString::fromStdString(path));
             ASSERT_TRUE(f.open(QIODevice::Append));
             f.write(master.data(), kMB);
         }},
        {"replaced by another file", 2, master.size(),
         [&] { ::rename(books.write("new", "another book").toLocal8Bit(), path.c_str()); }},
        {"deleted", 2, master.size(), [&] { ::unlink(path.c_str()); }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        books.write("book.txt", master);
        struct stat st {};
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        std::size_t read = 0;
        gHook = {true, st.st_ino, 0, [&](int call, off_t offset) {
                     if (call != c.atRead) return;
                     read = std::size_t(offset);
                     c.change();
                 }};
        LineStore store;
        const bool ok = ReadBookLines(path, store);
        gHook.armed = false;
        ASSERT_GE(gHook.calls, c.atRead) << "the loader no longer reads with read()";
        ASSERT_TRUE(ok);
        expectStoreOf(store, std::string_view(master).substr(0, std::max(read, c.keeps)));
    }
}
