// Settings writes interrupted by SIGKILL, and two instances quitting: the file is always whole,
// every key holds its old or its new value, and keys written together stay together.
#include <signal.h>
#include <sys/wait.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QPushButton>
#include <chrono>
#include <iostream>
#include <random>

#include "ReliabilityFixture.h"
#include "dialogs/frmSettings.h"
#include "platform/Twips.h"
#include "settings/IniFormat.h"
#include "settings/Settings.h"
#include "support/FakePrompts.h"
#include "viewer/frmMain.h"

using namespace tresslin;
using namespace tresslin::test;

namespace {

// The file parsed, after checking it is whole: every line a section, a key or blank, and the
// last one ended.
::testing::AssertionResult ParseWhole(const QByteArray& bytes, QSettings::SettingsMap& map) {
    if (bytes.isEmpty()) return ::testing::AssertionFailure() << "the settings file is empty";
    if (!bytes.endsWith('\n'))
        return ::testing::AssertionFailure() << "the file is cut short:\n" << bytes.toStdString();
    for (const QByteArray& line : bytes.split('\n')) {
        if (line.isEmpty() || (line.startsWith('[') && line.endsWith(']')) || line.contains('='))
            continue;
        return ::testing::AssertionFailure() << "a damaged line '" << line.toStdString() << "'";
    }
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    map.clear();
    readIniFormat(buffer, map);
    return ::testing::AssertionSuccess();
}

QString valueOf(const QSettings::SettingsMap& map, const char* key) {
    const auto it = map.constFind(QString::fromLatin1(key));
    return it == map.cend() ? QStringLiteral("<missing>") : it.value().toString();
}

// Keys the program writes together; the child writes them all with one generation number.
struct Group {
    const char* name;
    std::vector<const char*> keys;
    std::function<QString(long long)> expected;  // what key i holds for generation g
};

// The generation a group's keys hold, all the same; -1 when the group was never written.
::testing::AssertionResult GroupGeneration(const QSettings::SettingsMap& map, const Group& group,
                                           long long& generation) {
    const QString first = valueOf(map, group.keys.back());
    if (first == "<missing>") {
        for (const char* k : group.keys) {
            if (valueOf(map, k) != "<missing>")
                return ::testing::AssertionFailure() << group.name << " partly written: " << k;
        }
        generation = -1;
        return ::testing::AssertionSuccess();
    }
    bool ok = false;
    generation = first.toLongLong(&ok);
    if (!ok)
        return ::testing::AssertionFailure()
               << group.name << " holds '" << first.toStdString() << "'";
    for (std::size_t i = 0; i < group.keys.size(); ++i) {
        const QString v = valueOf(map, group.keys[i]);
        if (v != group.expected(generation).section(u'|', int(i), int(i)))
            return ::testing::AssertionFailure()
                   << group.name << " torn: " << group.keys[i] << "=" << v.toStdString()
                   << " beside generation " << generation;
    }
    return ::testing::AssertionSuccess();
}

const std::vector<Group>& Groups() {
    static const std::vector<Group> groups = {
        {"the last book",
         {"Settings/Last File", "Settings/Last Line"},
         [](long long g) { return QString("/books/book-%1.txt|%1").arg(g); }},
        {"the window position",
         {"Position/Left", "Position/Width", "Position/Top"},
         [](long long g) { return QString("%1|%1|%1").arg(g); }},
        {"the colours",
         {"COLORS/BACK_COLOR", "COLORS/TEXT_COLOR"},
         [](long long g) { return QString("%1|%1").arg(g); }},
    };
    return groups;
}

Child StartBurst(long long base, long long count, long killMicroseconds) {
    ChildOptions o;
    o.args = {HelperPath(), "burst", std::to_string(base), std::to_string(count),
              std::to_string(killMicroseconds)};
    o.hangAlarmSeconds = 30;
    return StartChild(o);
}

}  // namespace

TEST(SettingsKill, BurstsKilledAtRandomMomentsNeverTearTheFile) {
    SettingsSandbox box;
    // A key no child writes: no kill may lose it.
    WriteSetting(settings::TextCoding, "2");
    ASSERT_TRUE(settings::flush());

    // How long a turn of writes takes here: a run of 61 turns less a run of one.
    const auto runMicros = [](long long turns) {
        const auto t0 = std::chrono::steady_clock::now();
        Child c = StartBurst(0, turns, 0);
        const int status = WaitChild(c);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << DescribeStatus(status);
        return long(std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now() - t0)
                        .count());
    };
    const long turnMicros = std::max(1L, (runMicros(61) - runMicros(1)) / 60);
    // Kills fall anywhere within the first twenty or so saves.
    const long window = std::clamp(turnMicros * 20, 2000L, 60000L);

    const unsigned seed = unsigned(qEnvironmentVariableIntValue("TRESSLIN_KILL_SEED")) + 20260;
    std::mt19937 rng(seed);
    std::uniform_int_distribution<long> delay(1, window);
#if defined(__SANITIZE_ADDRESS__)
    constexpr int kKills = 200;  // each start takes longer under the sanitizers
#else
    constexpr int kKills = 300;
#endif
    std::vector<long long> seen(Groups().size(), -1);
    {
        QSettings::SettingsMap map;
        ASSERT_TRUE(ParseWhole(FileBytes(box.iniPath()), map));
        for (std::size_t k = 0; k < Groups().size(); ++k)
            ASSERT_TRUE(GroupGeneration(map, Groups()[k], seen[k]));
    }
    int landed = 0;
    long long saves = 0;
    long long totalSaves = 0;
    for (int i = 0; i < kKills; ++i) {
        SCOPED_TRACE("kill " + std::to_string(i) + " of seed " + std::to_string(seed));
        const long long base = (i + 1) * 1000000LL;
        Child c = StartBurst(base, 0, delay(rng));
        const int status = WaitChild(c);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << DescribeStatus(status);

        QSettings::SettingsMap map;
        ASSERT_TRUE(ParseWhole(FileBytes(box.iniPath()), map));
        ASSERT_EQ(valueOf(map, "Settings/Text Coding"), "2");
        bool changed = false;
        for (std::size_t k = 0; k < Groups().size(); ++k) {
            long long g = -1;
            ASSERT_TRUE(GroupGeneration(map, Groups()[k], g));
            // Old (as before this child) or new (one this child wrote).
            const bool isNew = g > base && g < base + 1000000;
            ASSERT_TRUE(g == seen[k] || isNew)
                << Groups()[k].name << " holds generation " << g << ", neither the old " << seen[k]
                << " nor one of this run's";
            changed = changed || g != seen[k];
            if (isNew) saves = std::max(saves, g - base);
            seen[k] = g;
        }
        landed += changed;
        totalSaves += saves;
        saves = 0;
    }
    // The kills must fall within the bursts, or the test proves little. A loaded machine
    // (sanitizers, parallel tests) shifts the timing, so the bar is low.
    EXPECT_GE(landed, kKills / 10)
        << "only " << landed << " of " << kKills << " runs saved anything before the kill";
    EXPECT_GE(totalSaves, std::int64_t(kKills) / 2) << "the kills came too early";

    // What kills leave behind never stops a later run from saving.
    Child last = StartBurst(999000000LL, 30, 0);
    const int status = WaitChild(last);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << DescribeStatus(status);
    QSettings::SettingsMap map;
    ASSERT_TRUE(ParseWhole(FileBytes(box.iniPath()), map));
    EXPECT_EQ(valueOf(map, "Settings/Last Line"), "999000030");
    EXPECT_EQ(valueOf(map, "COLORS/TEXT_COLOR"), "999000029");
    EXPECT_EQ(valueOf(map, "Position/Top"), "999000028");
    const QStringList left = FolderNames(box.folder() + "/Tresslin");
    std::cout << "[   INFO   ] " << kKills << " kills within " << window << " us (a save takes "
              << turnMicros << " us), after " << totalSaves << " saves in all; "
              << "left in the settings folder: " << left.join(", ").toStdString() << "\n";
}

TEST(SettingsKill, AGroupWrittenInOneHandlerReachesTheDiskTogether) {
    SettingsSandbox box;
    FakePrompts prompts;
    TempBooks books;
    WriteSetting(settings::TextColor, "255");
    WriteSetting(settings::BackColor, "65535");
    frmMain w(prompts);
    w.Form_Load({});
    w.show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(settings::flush());

    // The position: a resize saves Top, Left and Width from its handler.
    QByteArray before = FileBytes(box.iniPath());
    w.resize(w.width() + 45, w.height());
    QCoreApplication::processEvents();
    QSettings::SettingsMap map;
    ASSERT_TRUE(ParseWhole(FileBytes(box.iniPath()), map));
    EXPECT_NE(FileBytes(box.iniPath()), before);
    EXPECT_EQ(valueOf(map, "Position/Width"),
              QString::number(pixelsToTwips(w.frameGeometry().width())));
    EXPECT_EQ(valueOf(map, "Position/Left"), QString::number(pixelsToTwips(w.frameGeometry().x())));
    EXPECT_EQ(valueOf(map, "Position/Top"), QString::number(pixelsToTwips(w.frameGeometry().y())));

    // The colours: "Default" in the settings dialog stores both from one handler; nothing is on
    // disk until the handler has returned and the loop turns.
    {
        frmSettings dialog(&w, w, prompts);
        QCoreApplication::processEvents();
        before = FileBytes(box.iniPath());
        auto* reset = dialog.findChild<QPushButton*>("cmdDefault");
        ASSERT_NE(reset, nullptr);
        bool sawDiskDuringHandler = false;
        QObject::connect(reset, &QPushButton::clicked,
                         [&] { sawDiskDuringHandler = FileBytes(box.iniPath()) != before; });
        reset->click();
        EXPECT_FALSE(sawDiskDuringHandler);
        EXPECT_EQ(FileBytes(box.iniPath()), before);
        QCoreApplication::processEvents();
        ASSERT_TRUE(ParseWhole(FileBytes(box.iniPath()), map));
        EXPECT_EQ(valueOf(map, "COLORS/TEXT_COLOR"),
                  QString::number(settings::TextColor.defaultNumber));
        EXPECT_EQ(valueOf(map, "COLORS/BACK_COLOR"),
                  QString::number(settings::BackColor.defaultNumber));
    }

    // The last book: both keys from the shutdown.
    ASSERT_TRUE(w.OpenBook(books.write("b.txt", NumberedBook(20))));
    w.Form_KeyDown(Qt::Key_End, 0);
    w.unload();
    ASSERT_TRUE(ParseWhole(FileBytes(box.iniPath()), map));
    EXPECT_EQ(valueOf(map, "Settings/Last File"), books.path("b.txt"));
    EXPECT_EQ(valueOf(map, "Settings/Last Line"), "20");
}

namespace {
struct Instance {
    Child child;
    QString book;
    int line;                         // 1-based, as stored
    std::vector<QStringList> places;  // Top, Left, Width in twips, once up and at the end
};

Instance StartInstance(const QString& book, int steps, int x, int y, int width) {
    ChildOptions o;
    o.args = {HelperPath(),      "instance",        book.toStdString(),   std::to_string(steps),
              std::to_string(x), std::to_string(y), std::to_string(width)};
    o.env["QT_QPA_PLATFORM"] = "offscreen";
    o.captureStdout = true;
    o.hangAlarmSeconds = 30;
    Instance i{StartChild(o), book, steps + 1, {}};
    const QString ready = QString::fromStdString(ReadLine(i.child));
    EXPECT_TRUE(ready.startsWith("ready ")) << ready.toStdString();
    i.places.push_back(ready.split(u' ').mid(1));
    return i;
}

// Ends an instance with SIGTERM, as the desktop would; it tells where it was.
void Quit(Instance& i) {
    kill(i.child.pid, SIGTERM);
}
void WaitQuit(Instance& i) {
    const QString saved = QString::fromStdString(ReadLine(i.child));
    EXPECT_TRUE(saved.startsWith("saved ")) << saved.toStdString();
    i.places.push_back(saved.split(u' ').mid(1));
    const int status = WaitChild(i.child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << DescribeStatus(status);
}

// The file holds one instance's last book and one instance's place, each whole; the book of
// the last to quit, when the quits were in a known order (its book differs from what it read).
void ExpectGroupsOfOne(const QByteArray& bytes, const Instance* const both[2],
                       const Instance* lastToQuit) {
    QSettings::SettingsMap map;
    ASSERT_TRUE(ParseWhole(bytes, map));
    const auto bookOf = [](const Instance* i) {
        return QStringList{i->book, QString::number(i->line)};
    };
    const QStringList book{valueOf(map, "Settings/Last File"), valueOf(map, "Settings/Last Line")};
    const QStringList place{valueOf(map, "Position/Top"), valueOf(map, "Position/Left"),
                            valueOf(map, "Position/Width")};
    if (lastToQuit)
        EXPECT_EQ(book, bookOf(lastToQuit));
    else
        EXPECT_TRUE(book == bookOf(both[0]) || book == bookOf(both[1]))
            << book.join(' ').toStdString();
    bool whole = false;
    std::string places;
    for (const Instance* i : {both[0], both[1]}) {
        for (const QStringList& p : i->places) {
            whole = whole || p == place;
            places += " [" + p.join(' ').toStdString() + "]";
        }
    }
    EXPECT_TRUE(whole) << "the place " << place.join(' ').toStdString()
                       << " is none an instance had:" << places;
}
}  // namespace

TEST(SettingsKill, TwoInstancesQuittingLeaveOneInstancesGroups) {
    SettingsSandbox box;
    TempBooks books;
    const QString bookA = books.write("a.txt", NumberedBook(40));
    const QString bookB = books.write("b.txt", NumberedBook(50));
    for (int order = 0; order < 2; ++order) {
        SCOPED_TRACE(order == 0 ? "A quits first" : "B quits first");
        Instance a = StartInstance(bookA, 7, 100, 50, 500);
        Instance b = StartInstance(bookB, 23, 300, 250, 620);
        Instance* first = order == 0 ? &a : &b;
        Instance* second = order == 0 ? &b : &a;
        Quit(*first);
        WaitQuit(*first);
        const Instance* const both[2] = {&a, &b};
        ExpectGroupsOfOne(FileBytes(box.iniPath()), both, first);
        Quit(*second);
        WaitQuit(*second);
        ExpectGroupsOfOne(FileBytes(box.iniPath()), both, second);
    }
    // Both at once, a few times: whichever saves last, its groups are whole.
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE("both at once, round " + std::to_string(round));
        Instance a = StartInstance(bookA, 3 + round, 120, 60, 510);
        Instance b = StartInstance(bookB, 30 - round, 320, 260, 630);
        Quit(a);
        Quit(b);
        WaitQuit(a);
        WaitQuit(b);
        const Instance* const both[2] = {&a, &b};
        ExpectGroupsOfOne(FileBytes(box.iniPath()), both, nullptr);
    }
}

TEST(SettingsKill, AKillAfterTheReadingPlaceSettledKeepsIt) {
    SettingsSandbox box;
    TempBooks books;
    const QString book = books.write("a.txt", NumberedBook(40));
    ChildOptions o;
    o.args = {HelperPath(), "place", book.toStdString(), "19"};
    o.env["QT_QPA_PLATFORM"] = "offscreen";
    o.captureStdout = true;
    o.hangAlarmSeconds = 30;
    Child c = StartChild(o);
    ASSERT_EQ(ReadLine(c), "placed");
    kill(c.pid, SIGKILL);
    const int status = WaitChild(c);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << DescribeStatus(status);
    QSettings::SettingsMap map;
    ASSERT_TRUE(ParseWhole(FileBytes(box.iniPath()), map));
    EXPECT_EQ(valueOf(map, "Settings/Last File"), book);
    EXPECT_EQ(valueOf(map, "Settings/Last Line"), "20");
    EXPECT_EQ(valueOf(map, "Recent Files/File1"), book);
    EXPECT_EQ(valueOf(map, "Recent Files/Line1"), "20");
}
