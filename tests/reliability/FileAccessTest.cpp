// What the real program does to files in a session, seen by strace: it opens books read-only and
// writes nothing but its settings folder.
#include <signal.h>
#include <sys/wait.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <fstream>
#include <iostream>
#include <map>
#include <set>

#include "ReliabilityFixture.h"

using namespace tresslin::test;

namespace {

struct Call {
    QString name;
    QStringList paths;  // the paths the call names, absolute
    QString flags;      // of an open
    bool ok = false;    // succeeded
};

// strace -xx prints every string as \xNN escapes.
QString DecodeHex(const QString& s) {
    QByteArray bytes;
    for (qsizetype i = 0; i + 3 < s.size() && s[i] == u'\\' && s[i + 1] == u'x'; i += 4)
        bytes += char(s.mid(i + 2, 2).toInt(nullptr, 16));
    return QFile::decodeName(bytes);
}

// The calls in an strace -f log, unfinished calls joined to their resumption.
std::vector<Call> ParseLog(const QString& log, const QString& cwd) {
    std::vector<Call> calls;
    std::map<QString, QString> pending;  // pid -> the start of an unfinished call
    static const QRegularExpression lineRe(R"(^(\d+)\s+(.*)$)");
    static const QRegularExpression callRe(R"(^(\w+)\((.*)\)\s+=\s+(-?\d+|\?))");
    static const QRegularExpression stringRe(R"re("((?:\\x[0-9a-f]{2})*)")re");
    for (const QString& raw : log.split(u'\n')) {
        const auto m = lineRe.match(raw);
        if (!m.hasMatch()) continue;
        const QString pid = m.captured(1);
        QString text = m.captured(2);
        if (text.endsWith(QStringLiteral("<unfinished ...>"))) {
            pending[pid] = text.chopped(16);
            continue;
        }
        if (text.startsWith(QStringLiteral("<... "))) {
            const qsizetype close = text.indexOf(QStringLiteral(" resumed>"));
            if (close < 0 || !pending.count(pid)) continue;
            text = pending[pid] + text.mid(close + 9);
            pending.erase(pid);
        }
        const auto c = callRe.match(text);
        if (!c.hasMatch()) continue;
        Call call;
        call.name = c.captured(1);
        call.ok = c.captured(3) != "-1";
        const QString args = c.captured(2);
        // Which arguments are paths, and the folder a relative one is taken from.
        auto it = stringRe.globalMatch(args);
        while (it.hasNext()) {
            QString path = DecodeHex(it.next().captured(1));
            if (!path.startsWith(u'/')) path = cwd + u'/' + path;
            call.paths << QDir::cleanPath(path);
        }
        if (call.name.startsWith(QStringLiteral("open"))) {
            const qsizetype lastQuote = args.lastIndexOf(u'"');
            call.flags = args.mid(lastQuote + 1).section(u',', 1, 1).trimmed();
        }
        calls.push_back(call);
    }
    return calls;
}

bool OpensForWriting(const QString& flags) {
    for (const char* f : {"O_WRONLY", "O_RDWR", "O_CREAT", "O_TRUNC", "O_APPEND", "O_TMPFILE"})
        if (flags.contains(QLatin1String(f))) return true;
    return false;
}

bool Inside(const QString& path, const QString& folder) {
    return path == folder || path.startsWith(folder + u'/');
}

// The paths a call changes; an open only when it opens for writing, a link not its source.
QStringList WrittenPaths(const Call& c) {
    if (!c.ok) return {};
    if (c.name.startsWith(QStringLiteral("open")))
        return OpensForWriting(c.flags) ? c.paths : QStringList{};
    if (c.name.startsWith(QStringLiteral("link")) || c.name.startsWith(QStringLiteral("symlink")))
        return c.paths.mid(1);
    return c.paths;
}

struct Traced {
    QString home;      // the private home of the run
    QString settings;  // the settings folder in it
    QString book;      // the book it reads
    QByteArray bookBytes;
    std::vector<Call> calls;
    int status = -1;
};

// Runs args (whose last is replaced by the book's path) under strace in a private home, with
// a book whose path is not plain ASCII. With terminate, ends the program with SIGTERM once its
// window is up; otherwise waits for it to end by itself.
Traced RunTraced(const QString& strace, const QTemporaryDir& tmp, std::vector<std::string> args,
                 bool terminate) {
    Traced t;
    t.home = tmp.path() + "/home";
    t.settings = t.home + "/.config/Tresslin";
    t.book = tmp.path() + "/книги/война и мир.txt";
    const QString work = tmp.path() + "/work";
    QDir().mkpath(work);
    WriteBytes(t.book, FileBytes(SamplePath("kniga-cp1251.txt")));
    t.bookBytes = FileBytes(t.book);
    const QString log = tmp.path() + "/strace.log";
    args.back() = t.book.toStdString();

    ChildOptions o;
    o.args = {strace.toStdString(),
              "-f",
              "-qq",
              "-xx",
              "-s",
              "65535",
              "-o",
              log.toStdString(),
              "-e",
              "trace=open,openat,openat2,creat,truncate,rename,renameat,renameat2,unlink,"
              "unlinkat,rmdir,mkdir,mkdirat,link,linkat,symlink,symlinkat"};
    o.args.insert(o.args.end(), args.begin(), args.end());
    o.env = PrivateHomeEnv(t.home);
    // LeakSanitizer cannot work under ptrace; the other test runs look for leaks.
    const QString asan = qEnvironmentVariable("ASAN_OPTIONS");
    o.env["ASAN_OPTIONS"] = (asan.isEmpty() ? asan : asan + ":").toStdString() + "detect_leaks=0";
    o.cwd = work.toStdString();
    Child tracer = StartChild(o);
    EXPECT_GT(tracer.pid, 0);
    if (terminate) {
        // strace starts test processes of its own first: the program is the child running its
        // file. Once its settings file exists, the window is up and the event loop has turned.
        pid_t program = -1;
        const QString file = QFileInfo(QString::fromStdString(args.front())).canonicalFilePath();
        const bool up = PollUntil(
            [&] {
                std::ifstream children("/proc/" + std::to_string(tracer.pid) + "/task/" +
                                       std::to_string(tracer.pid) + "/children");
                for (pid_t pid = 0; program < 0 && children >> pid;) {
                    if (QFileInfo(QString("/proc/%1/exe").arg(pid)).canonicalFilePath() == file)
                        program = pid;
                }
                return program > 0 && QFile::exists(t.settings + "/Tresslin.ini") &&
                       CatchesSignal(program, SIGTERM);
            },
            30000);
        EXPECT_TRUE(up) << "the window did not come up under strace";
        if (program > 0) kill(program, up ? SIGTERM : SIGKILL);
    }
    t.status = WaitChild(tracer);
    t.calls = ParseLog(QString::fromUtf8(FileBytes(log)), work);
    return t;
}

// Every open of the book read-only, nothing else done to it, and nothing written outside the
// settings folder.
void ExpectOnlySettingsWritten(const Traced& t) {
    ASSERT_FALSE(t.calls.empty());
    int bookOpens = 0;
    int settingsWrites = 0;
    for (const Call& c : t.calls) {
        if (c.paths.contains(t.book)) {
            if (c.name.startsWith(QStringLiteral("open"))) {
                ++bookOpens;
                EXPECT_TRUE(c.flags.startsWith(QStringLiteral("O_RDONLY")) &&
                            !OpensForWriting(c.flags))
                    << "the book opened with " << c.flags.toStdString();
            } else {
                ADD_FAILURE() << c.name.toStdString() << " on the book";
            }
        }
        for (const QString& p : WrittenPaths(c)) {
            if (Inside(p, t.settings)) {
                ++settingsWrites;
                continue;
            }
            // The folders above the settings folder, inside the home, when it is made.
            if (c.name.startsWith(QStringLiteral("mkdir")) && Inside(t.settings, p) &&
                Inside(p, t.home))
                continue;
            ADD_FAILURE() << c.name.toStdString() << " writes " << p.toStdString() << " ("
                          << c.flags.toStdString() << ")";
        }
    }
    EXPECT_GE(bookOpens, 1) << "the book was never opened";
    EXPECT_GT(settingsWrites, 0) << "no save seen: is strace's log still understood?";
    EXPECT_EQ(FileBytes(t.book), t.bookBytes);
    EXPECT_TRUE(FileBytes(t.settings + "/Tresslin.ini").contains("Last File=" + t.book.toUtf8()));
}

}  // namespace

TEST(FileAccess, TheProgramOpensTheBookReadOnlyAndWritesOnlyItsSettings) {
    const QString strace = QStandardPaths::findExecutable("strace");
    if (strace.isEmpty()) GTEST_SKIP() << "strace is not installed (apt install strace)";
    QTemporaryDir tmp;
    const Traced t = RunTraced(strace, tmp, {ProgramPath(), "BOOK"}, true);
    EXPECT_TRUE(WIFEXITED(t.status) && WEXITSTATUS(t.status) == 0) << DescribeStatus(t.status);
    ExpectOnlySettingsWritten(t);
}

TEST(FileAccess, AWholeSessionThroughTheDialogsWritesOnlyTheSettingsFolder) {
    // Open (the file dialog), step, find, go to a line, settings with a colour, the timer, the
    // commands list and Esc, each dialog answered as a user would.
    const QString strace = QStandardPaths::findExecutable("strace");
    if (strace.isEmpty()) GTEST_SKIP() << "strace is not installed (apt install strace)";
    QTemporaryDir tmp;
    {
        // Once without strace, where the sanitizers (when built in) also look for leaks.
        QTemporaryDir plain;
        ChildOptions o;
        o.args = {HelperPath(), "session", (plain.path() + "/book.txt").toStdString()};
        WriteBytes(plain.path() + "/book.txt", FileBytes(SamplePath("kniga-koi8r.txt")));
        o.env = PrivateHomeEnv(plain.path() + "/home");
        Child c = StartChild(o);
        const int status = WaitChild(c);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << DescribeStatus(status);
    }
    const Traced t = RunTraced(strace, tmp, {HelperPath(), "session", "BOOK"}, false);
    EXPECT_TRUE(WIFEXITED(t.status) && WEXITSTATUS(t.status) == 0) << DescribeStatus(t.status);
    ExpectOnlySettingsWritten(t);
    const QString stored = QString::fromUtf8(FileBytes(t.settings + "/Tresslin.ini"));
    EXPECT_TRUE(stored.contains("Text Coding=1\n")) << stored.toStdString();
    EXPECT_TRUE(stored.contains("TEXT_COLOR=10496020\n")) << stored.toStdString();
}
