// The book changed by another program while it loads or after it is open: no crash, no hang,
// the loader reads at most what the file held when opened, and the open book stays as read.
//
// To act at an exact moment of a load, this test program puts its own read() in front of the C
// library's: while a hook is armed, every read of the book's file calls it first.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <random>
#include <thread>

#include "ReliabilityFixture.h"
#include "book/mdlText.h"
#include "formats/BookFormats.h"
#include "settings/Settings.h"
#include "support/FakePrompts.h"
#include "viewer/frmMain.h"

using namespace tresslin;
using namespace tresslin::test;

namespace {
struct ReadHook {
    std::atomic<bool> armed{false};
    dev_t dev = 0;
    ino_t ino = 0;
    int calls = 0;
    // The number of the read about to happen and how far the reader has read.
    std::function<void(int call, off_t offset)> action;
};
ReadHook gHook;
}  // namespace

extern "C" ssize_t read(int fd, void* buf, size_t count) {
    if (gHook.armed.load()) {
        struct stat st {};
        if (fstat(fd, &st) == 0 && st.st_dev == gHook.dev && st.st_ino == gHook.ino)
            gHook.action(++gHook.calls, lseek(fd, 0, SEEK_CUR));
    }
    return syscall(SYS_read, fd, buf, count);
}

namespace {

constexpr std::size_t kMB = 1u << 20;

// Lines of varied length in Windows Cyrillic, CR LF ended, about bytes long.
std::string MasterText(std::size_t bytes) {
    std::string s;
    s.reserve(bytes + 100);
    for (int i = 0; s.size() < bytes; ++i) {
        s += "Line " + std::to_string(i) + ' ' +
             std::string(std::size_t(i % 97), char(0xE0 + i % 32));
        s += "\r\n";
    }
    return s;
}

std::vector<std::string_view> LinesOf(const LineStore& s) {
    std::vector<std::string_view> out;
    for (std::int64_t i = 0; i < s.size(); ++i) out.push_back(s.line(i));
    return out;
}

// The store holds bytes exactly, split as a fresh split of them would be.
void ExpectStoreOf(const LineStore& store, std::string_view bytes) {
    ASSERT_EQ(store.byteSize(), bytes.size());
    ASSERT_EQ(std::memcmp(store.data(), bytes.data(), bytes.size()), 0);
    LineStore fresh;
    ASSERT_TRUE(splitBookLines(bytes, fresh));
    EXPECT_EQ(LinesOf(store), LinesOf(fresh));
}

void WriteFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    ::close(fd);
}

void AppendFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    ::close(fd);
}

// Arms the hook on path's file for the lifetime of the object.
class Armed {
  public:
    Armed(const std::string& path, std::function<void(int, off_t)> action) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0);
        gHook.dev = st.st_dev;
        gHook.ino = st.st_ino;
        gHook.calls = 0;
        gHook.action = std::move(action);
        gHook.armed = true;
    }
    ~Armed() { gHook.armed = false; }
    int calls() const { return gHook.calls; }
};

struct Change {
    const char* what;
    int atRead;  // before the loader's read number atRead (1: before any byte is read)
    std::function<void(const std::string& path, const std::string& master)> act;
    // What the load must hold, from the master text and how far the loader had read.
    std::function<std::string(const std::string& master, std::size_t read)> expected;
};

std::vector<Change> Changes() {
    const auto truncateTo = [](std::size_t n) {
        return [n](const std::string& path, const std::string&) {
            ASSERT_EQ(::truncate(path.c_str(), off_t(n)), 0);
        };
    };
    // Bytes already read stay; the rest comes up to the new end.
    const auto truncatedTo = [](std::size_t n) {
        return
            [n](const std::string& m, std::size_t read) { return m.substr(0, std::max(read, n)); };
    };
    const auto whole = [](const std::string& m, std::size_t) { return m; };
    return {
        {"truncated to 1 MB after the first read", 2, truncateTo(kMB), truncatedTo(kMB)},
        {"truncated to nothing before the first read", 1, truncateTo(0), truncatedTo(0)},
        {"truncated within the last read", 3, truncateTo(9 * kMB + 100),
         truncatedTo(9 * kMB + 100)},
        {"grown by a megabyte before the first read", 1,
         [](const std::string& p, const std::string& m) { AppendFile(p, m.substr(0, kMB)); },
         whole},
        {"grown after the first read", 2,
         [](const std::string& p, const std::string&) { AppendFile(p, "\r\nappended line"); },
         whole},
        {"replaced by another file", 2,
         [](const std::string& p, const std::string&) {
             WriteFile(p + ".new", "another book\r\n");
             ASSERT_EQ(::rename((p + ".new").c_str(), p.c_str()), 0);
         },
         whole},
        {"deleted", 2, [](const std::string& p, const std::string&) { ::unlink(p.c_str()); },
         whole},
    };
}

}  // namespace

TEST(BookChanges, ChangedWhileLoadingTheLoaderReadsWhatWasThereAtOpen) {
    TempBooks books;
    const std::string master = MasterText(10 * kMB);
    const std::string path = books.path("book.txt").toStdString();
    for (const Change& c : Changes()) {
        SCOPED_TRACE(c.what);
        WriteFile(path, master);
        LineStore store;
        bool ok = false;
        std::size_t read = 0;
        {
            Armed hook(path, [&](int call, off_t offset) {
                if (call != c.atRead) return;
                read = std::size_t(offset);
                c.act(path, master);
            });
            ok = ReadBookLines(path, store);
            ASSERT_GE(hook.calls(), c.atRead)
                << "the loader no longer reads the book with read(); this test must follow it";
        }
        ASSERT_TRUE(ok);
        ExpectStoreOf(store, c.expected(master, read));
    }
}

TEST(BookChanges, RewrittenInPlaceWhileLoadingGivesAConsistentStore) {
    // Another program writing new text over the book while it loads: the store holds some mix
    // of the two, split consistently, never more than the size seen at open.
    TempBooks books;
    const std::string master = MasterText(10 * kMB);
    std::string other = master;
    for (char& ch : other) ch = ch == '\r' ? '\n' : (ch == '\n' ? '\r' : ch);
    const std::string path = books.path("book.txt").toStdString();
    for (int at = 1; at <= 3; ++at) {
        SCOPED_TRACE("before read " + std::to_string(at));
        WriteFile(path, master);
        LineStore store;
        std::size_t before = 0;
        {
            Armed hook(path, [&](int call, off_t offset) {
                if (call != at) return;
                before = std::size_t(offset);
                const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
                ASSERT_GE(fd, 0);
                ASSERT_EQ(::pwrite(fd, other.data(), other.size(), 0), ssize_t(other.size()));
                ::close(fd);
            });
            ASSERT_TRUE(ReadBookLines(path, store));
        }
        ASSERT_EQ(store.byteSize(), master.size());
        std::string expected = master.substr(0, before) + other.substr(before);
        ExpectStoreOf(store, expected);
    }
}

TEST(BookChanges, ChangedWhileTheWindowOpensItTheWindowShowsWhatWasRead) {
    TempBooks books;
    SettingsSandbox box;
    FakePrompts prompts;
    frmMain w(prompts);
    const std::string master = MasterText(10 * kMB);
    const QString path = books.path("book.txt");
    // The window first reads the book's head to tell its format; the loader's reads follow.
    WriteFile(path.toStdString(), master);
    int headReads = 0;
    {
        Armed hook(path.toStdString(), [](int, off_t) {});
        readFormattedBook(path.toStdString());
        headReads = hook.calls();
    }
    for (const Change& c : Changes()) {
        SCOPED_TRACE(c.what);
        WriteFile(path.toStdString(), master);
        bool ok = false;
        std::size_t read = 0;
        {
            Armed hook(path.toStdString(), [&](int call, off_t offset) {
                if (call != headReads + c.atRead) return;
                read = std::size_t(offset);
                c.act(path.toStdString(), master);
            });
            ok = w.OpenBook(path);
        }
        ASSERT_TRUE(ok);
        const std::string expected = c.expected(master, read);
        ExpectStoreOf(w.bookLines(), expected);
        EXPECT_EQ(w.maxLine(), w.bookLines().upperBound());
        EXPECT_EQ(w.curLine(), 0);
        w.Form_KeyDown(Qt::Key_End, 0);
        w.Form_KeyDown(Qt::Key_Up, 0);
        EXPECT_EQ(w.curLine(), std::max(0, w.maxLine() - 1));
    }
}

TEST(BookChanges, ChangedAfterOpeningTheBookInMemoryStays) {
    TempBooks books;
    SettingsSandbox box;
    WriteSetting(settings::WrapLines, "0");  // a tick is a line
    FakePrompts prompts;
    frmMain w(prompts);
    const std::string master = MasterText(3u << 20);
    const QString path = books.path("book.txt");
    const std::string p = path.toStdString();
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"truncated to nothing", [&] { ASSERT_EQ(::truncate(p.c_str(), 0), 0); }},
        {"truncated to half",
         [&] { ASSERT_EQ(::truncate(p.c_str(), off_t(master.size() / 2)), 0); }},
        {"grown", [&] { AppendFile(p, master); }},
        {"replaced",
         [&] {
             WriteFile(p + ".new", "x\r\ny");
             ::rename((p + ".new").c_str(), p.c_str());
         }},
        {"replaced by a folder",
         [&] {
             ::unlink(p.c_str());
             ::mkdir(p.c_str(), 0755);
         }},
        {"deleted", [&] { ::unlink(p.c_str()); }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        ::rmdir(p.c_str());
        WriteFile(p, master);
        ASSERT_TRUE(w.OpenBook(path));
        const std::int32_t maxLine = w.maxLine();
        for (int i = 0; i < 100; ++i) w.Form_KeyDown(Qt::Key_Down, 0);
        change();
        // Everything reads the book from memory.
        w.Form_KeyDown(Qt::Key_End, 0);
        EXPECT_EQ(w.curLine(), maxLine);
        w.Form_KeyDown(Qt::Key_Home, 0);
        prompts.findAnswers.push_back(QStringLiteral("Line 5000 "));
        w.Form_KeyDown(Qt::Key_F, 2);
        EXPECT_EQ(w.curLine(), 5000);
        prompts.inputAnswers.push_back(QStringLiteral("20000"));
        w.Form_KeyDown(Qt::Key_L, 2);
        EXPECT_EQ(w.view()->text().left(12), " Line 19999 ");
        w.startAutoShow(100000);
        for (int i = 0; i < 50; ++i) w.tmrAutoShow_Timer();
        w.Form_KeyDown(Qt::Key_Shift, 1);  // any key stops auto-show
        EXPECT_EQ(w.curLine(), 20049);
        EXPECT_EQ(w.maxLine(), maxLine);
        ExpectStoreOf(w.bookLines(), master);
        // Opening it again reads what is there now; when nothing can be read, the book stays.
        const bool reopened = w.OpenBook(path);
        EXPECT_EQ(reopened, QFileInfo(path).isFile());
        if (!reopened) {
            ExpectStoreOf(w.bookLines(), master);
            EXPECT_EQ(w.bookPath(), path);
        }
    }
    ::rmdir(p.c_str());
}

TEST(BookChanges, AnotherProgramChangingTheBookWhileItLoadsOverAndOver) {
    // Every version of the file is a prefix of one text, grown only by appending, so whatever a
    // load catches is that text, except for zeros: a read racing with a cut and a regrowth may
    // see them (the kernel makes no promise there; plain read() loops see them too).
    TempBooks books;
    const std::string master = MasterText(6 * kMB);
    const std::string path = books.path("book.txt").toStdString();
    WriteFile(path, master);
    std::atomic<bool> stop{false};
    std::atomic<int> changes{0};
    std::thread other([&] {
        std::mt19937 rng(7);
        std::uniform_int_distribution<std::size_t> cut(0, master.size());
        while (!stop) {
            const std::size_t a = cut(rng);
            const std::size_t b = std::max(a, cut(rng));
            struct stat st {};
            if (::stat(path.c_str(), &st) != 0) return;
            const auto size = std::size_t(st.st_size);
            switch (changes++ % 3) {
                case 0:
                    // Only ever shorter: a longer truncate would add zeros.
                    if (::truncate(path.c_str(), off_t(std::min(a, size))) != 0) return;
                    break;
                case 1:
                    if (size < b) AppendFile(path, std::string_view(master).substr(size, b - size));
                    break;
                default:
                    WriteFile(path + ".new", std::string_view(master).substr(0, b));
                    ::rename((path + ".new").c_str(), path.c_str());
                    break;
            }
        }
    });
    int loads = 0;
    for (; loads < 40; ++loads) {
        LineStore store;
        ASSERT_TRUE(ReadBookLines(path, store));
        const std::string_view bytes(store.data(), store.byteSize());
        ASSERT_LE(bytes.size(), master.size());
        const auto diff =
            std::mismatch(bytes.begin(), bytes.end(), master.begin(),
                          [](char got, char want) { return got == want || got == 0; });
        ASSERT_TRUE(diff.first == bytes.end())
            << "load " << loads << " of " << bytes.size() << " bytes differs at "
            << (diff.first - bytes.begin()) << ": " << int(static_cast<unsigned char>(*diff.first))
            << " instead of " << int(static_cast<unsigned char>(*diff.second));
        LineStore fresh;
        ASSERT_TRUE(splitBookLines(bytes, fresh));
        ASSERT_EQ(LinesOf(store), LinesOf(fresh));
    }
    stop = true;
    other.join();
    EXPECT_GT(changes.load(), 3) << "the other program hardly ran";
}
