// A whole session through the program's own dialogs, seen by strace: the book is only ever
// opened read-only, and nothing outside the settings folder is written.
#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

#include "Processes.h"

using namespace tresslin::test;

namespace {

bool inside(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder + u'/');
}

}  // namespace

TEST(FileAccess, ASessionOpensTheBookReadOnlyAndWritesOnlyTheSettingsFolder) {
    const QString strace = QStandardPaths::findExecutable("strace");
    if (strace.isEmpty()) GTEST_SKIP() << "strace is not installed (apt install strace)";
    QTemporaryDir tmp;
    const QString home = tmp.path() + "/home", settings = home + "/.config/Tresslin";
    const QString book = tmp.path() + "/книги/война и мир.txt";
    const QByteArray bookBytes = FileBytes(SamplePath("kniga-cp1251.txt"));
    WriteBytes(book, bookBytes);
    QProcessEnvironment env = PrivateHome(home);
    // LeakSanitizer cannot work under ptrace.
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":detect_leaks=0");
    ASSERT_TRUE(RunsAndEndsCleanly(
        strace,
        {"-ff", "-qq", "-xx", "-s", "4096", "-o", tmp.path() + "/log", "-e",
         "trace=open,openat,openat2,creat,truncate,rename,renameat,renameat2,unlink,unlinkat,"
         "rmdir,mkdir,mkdirat,link,linkat,symlink,symlinkat",
         CHILD_PATH, "session", book},
        env, false));

    static const QRegularExpression callRe(R"(^(\w+)\((.*)\)\s+=\s+(-?\d+))"),
        stringRe(R"re("((?:\\x[0-9a-f]{2})*)")re");
    int bookOpens = 0, settingsWrites = 0;
    for (const QString& log : QDir(tmp.path()).entryList({"log.*"})) {
        for (const QString& line :
             QString::fromUtf8(FileBytes(tmp.path() + u'/' + log)).split('\n')) {
            const auto call = callRe.match(line);
            if (!call.hasMatch() || call.captured(3) == "-1") continue;
            const QString name = call.captured(1), args = call.captured(2);
            const bool open = name.startsWith("open") || name == "creat";
            const bool writes = !open || name == "creat" ||
                                args.contains(QRegularExpression(
                                    "O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|O_APPEND|O_TMPFILE"));
            QStringList paths;
            for (auto it = stringRe.globalMatch(args); it.hasNext();) {
                // strace -xx writes every string as \xNN escapes.
                QString p = QFile::decodeName(
                    QByteArray::fromHex(it.next().captured(1).remove("\\x").toLatin1()));
                paths << QDir::cleanPath(p.startsWith(u'/') ? p : home + u'/' + p);
            }
            // A link's source is only read.
            if (name.contains("link") && !name.startsWith("unlink")) paths.removeFirst();
            if (paths.contains(book)) {
                EXPECT_TRUE(open && !writes) << line.toStdString();
                ++bookOpens;
            }
            for (const QString& p : writes ? paths : QStringList()) {
                const bool madeOnTheWay =
                    name.startsWith("mkdir") && inside(settings, p) && inside(p, home);
                EXPECT_TRUE(inside(p, settings) || madeOnTheWay) << line.toStdString();
                settingsWrites += inside(p, settings);
            }
        }
    }
    EXPECT_GE(bookOpens, 1);
    EXPECT_GT(settingsWrites, 0) << "no save seen: is strace's log still understood?";
    EXPECT_EQ(FileBytes(book), bookBytes);
    EXPECT_TRUE(FileBytes(settings + "/Tresslin.ini").contains("Last File=" + book.toUtf8()));
}
