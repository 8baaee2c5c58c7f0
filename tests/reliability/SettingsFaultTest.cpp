// The settings folder unusable, or the disk refusing writes: the program keeps working on what
// it has in memory, reads defaults when nothing can be read, and never damages what is stored.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <csignal>
#include <functional>

#include "ReliabilityFixture.h"
#include "settings/Settings.h"
#include "support/FakePrompts.h"
#include "viewer/frmMain.h"

using namespace tresslin;
using namespace tresslin::test;

namespace {

// Open, step, find, colours, timer interval, a failed save, quit: everything a session stores.
void sessionWorksInMemory(const QString& book, bool expectDefaults) {
    FakePrompts prompts;
    frmMain w(prompts);
    w.Form_Load({});
    if (expectDefaults) {
        EXPECT_EQ(w.view()->text(), "Show Commands List - Press F1");
        EXPECT_EQ(settings::readNumber(settings::TextCoding), 0);
        EXPECT_EQ(ReadSetting(settings::TimerInterval), "2550");
    }
    prompts.openAnswers.push_back(book);
    w.Form_KeyDown(Qt::Key_O, 2);
    ASSERT_EQ(w.bookPath(), book);
    for (int i = 0; i < 5; ++i) w.Form_KeyDown(Qt::Key_Down, 0);
    EXPECT_EQ(w.view()->text(), " Line 6");
    prompts.findAnswers.push_back(QStringLiteral("line 40"));
    w.Form_KeyDown(Qt::Key_F, 2);
    EXPECT_EQ(w.curLine(), 39);
    WriteSetting(settings::TextColor, "255");
    WriteSetting(settings::TimerInterval, "900");
    // The store's save at the next turn fails; the program goes on.
    QCoreApplication::processEvents();
    EXPECT_FALSE(settings::flush());
    w.Form_KeyDown(Qt::Key_Up, 0);
    EXPECT_EQ(w.view()->text(), " Line 39");
    w.unload();
    // Everything stays readable from memory.
    EXPECT_EQ(ReadSetting(settings::LastFile), book);
    EXPECT_EQ(ReadSetting(settings::LastLine), "39");
    EXPECT_EQ(ReadSetting(settings::TextColor), "255");
    EXPECT_EQ(ReadSetting(settings::TimerInterval), "900");
    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front().text.toStdString();
}

struct Obstacle {
    const char* what;
    // Sets the obstacle up in folder; returns the config home to use.
    std::function<QString(const QString& folder)> setUp;
    // The path whose bytes must stay as they were.
    QString guarded;
};

}  // namespace

TEST(SettingsFaults, UnusableFolderTheProgramKeepsWorkingOnDefaults) {
    const Obstacle obstacles[] = {
        {"a file where the settings folder should be",
         [](const QString& f) {
             WriteBytes(f + "/Tresslin", "not a folder\n");
             return f;
         },
         "/Tresslin"},
        {"a missing settings folder that cannot be created",
         [](const QString& f) {
             // Even root cannot make a folder inside a regular file.
             WriteBytes(f + "/blocker", "a file\n");
             return f + "/blocker/config";
         },
         "/blocker"},
        {"a folder where the settings file should be",
         [](const QString& f) {
             QDir().mkpath(f + "/Tresslin/Tresslin.ini");
             WriteBytes(f + "/Tresslin/Tresslin.ini/inside", "untouched\n");
             return f;
         },
         "/Tresslin/Tresslin.ini/inside"},
    };
    TempBooks books;
    const QString book = books.write("book.txt", NumberedBook(60));
    for (const Obstacle& o : obstacles) {
        SCOPED_TRACE(o.what);
        SettingsSandbox box;
        const QString configHome = o.setUp(box.folder());
        qputenv("XDG_CONFIG_HOME", configHome.toLocal8Bit());
        settings::resetForTests();
        const QByteArray before = FileBytes(box.folder() + o.guarded);
        sessionWorksInMemory(book, true);
        EXPECT_EQ(FileBytes(box.folder() + o.guarded), before);

        // The program itself starts, shows the book, and ends normally on SIGTERM.
        const int status = RunProgramUntilTerm(box.folder() + "/home", configHome, book);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << DescribeStatus(status);
        EXPECT_EQ(FileBytes(box.folder() + o.guarded), before);
    }
}

TEST(SettingsFaults, ReadOnlyFolderKeepsTheStoredFile) {
    if (geteuid() == 0)
        GTEST_SKIP() << "runs as root, whom folder permissions do not stop; the disk refusing "
                        "writes is covered by the RLIMIT_FSIZE tests";
    TempBooks books;
    const QString book = books.write("book.txt", NumberedBook(60));
    SettingsSandbox box;
    const QByteArray stored = StoredSettings(book);
    WriteBytes(box.iniPath(), stored);
    const QString folder = box.folder() + "/Tresslin";
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
    settings::resetForTests();
    EXPECT_EQ(ReadSetting(settings::LastLine), "5");  // what is stored is read
    sessionWorksInMemory(book, false);
    const int status = RunProgramUntilTerm(box.folder() + "/home", box.folder(), book);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << DescribeStatus(status);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(FileBytes(box.iniPath()), stored);
    EXPECT_EQ(FolderNames(folder), QStringList{"Tresslin.ini"});
}

namespace {
// The file size limit of this process, and SIGXFSZ ignored as the program ignores it, for the
// lifetime of the object.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, old_.rlim_max};
        ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    bool ok() const { return ok_; }

  private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
    bool ok_ = false;
};
}  // namespace

TEST(SettingsFaults, DiskRefusingWritesTheProgramLosesNothing) {
    TempBooks books;
    const QString stored = books.write("stored.txt", NumberedBook(60));
    const QString other = books.write("other.txt", NumberedBook(30));
    SettingsSandbox box;
    const QByteArray storedBytes = StoredSettings(stored);
    WriteBytes(box.iniPath(), storedBytes);

    // The real program, whose every write of a file stops at 64 bytes, on another book.
    const int status = RunProgramUntilTerm(box.folder() + "/home", box.folder(), other, 64);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "SIGXFSZ or a failed write ended the program: " << DescribeStatus(status);
    EXPECT_EQ(FileBytes(box.iniPath()), storedBytes);
    EXPECT_EQ(FolderNames(box.folder() + "/Tresslin"), QStringList{"Tresslin.ini"});

    // The same in this process, with the window: the stored place is read, the session goes on
    // while nothing can be saved, and the first save that can succeed stores it all.
    settings::resetForTests();
    {
        FileSizeLimit limit(64);
        ASSERT_TRUE(limit.ok());
        FakePrompts prompts;
        frmMain w(prompts);
        w.Form_Load({});
        EXPECT_EQ(w.lastFile(), stored);
        w.Form_KeyDown(Qt::Key_G, 2);  // Ctrl+G: the last book at its stored line
        ASSERT_EQ(w.bookPath(), stored);
        EXPECT_EQ(w.curLine(), 4);
        for (int i = 0; i < 10; ++i) w.Form_KeyDown(Qt::Key_Down, 0);
        WriteSetting(settings::TimerInterval, "900");
        QCoreApplication::processEvents();
        EXPECT_FALSE(settings::flush());
        w.Form_KeyDown(Qt::Key_Down, 0);
        w.unload();
        EXPECT_FALSE(settings::flush());
        EXPECT_EQ(FileBytes(box.iniPath()), storedBytes);
        EXPECT_EQ(ReadSetting(settings::LastLine), "16");
    }
    EXPECT_TRUE(settings::flush());
    settings::resetForTests();
    EXPECT_EQ(ReadSetting(settings::LastFile), stored);
    EXPECT_EQ(ReadSetting(settings::LastLine), "16");
    EXPECT_EQ(ReadSetting(settings::TimerInterval), "900");
    EXPECT_EQ(ReadSetting(settings::BackColor), "16777215");
}
