// The main window's own work, measured on the offscreen platform: opening a book until its first
// line is painted, F3 and Page Down over a whole book, showing a line, a burst of position
// writes, and how often the reading place replaces the settings file.
//
//   bench_gui --book=B [--absent=W1 --common=W2] [--big=G] [--long=L] [--fb2=F] [--fb2zip=Z]
//             [--epub=E] [--utf16=U]
//             [benchmark flags]
//     B: a book of many lines (open, find, show), G: another to open, L: a single-line book,
//     F: a FictionBook and Z: the same zipped, to open
//   bench_gui --open-once=B      opens once, prints time and peak memory (for a fresh process)
//   bench_gui --first-read-aloud  the first Ctrl+P of a process against a private
//   speech-dispatcher:
//     the longest the event loop stood still until the first part was said, and how long the
//     voice took to be ready (what the window used to wait through)
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileNames.h"
#include "platform/Speech.h"
#include "settings/Settings.h"
#include "support/FakePrompts.h"
#include "viewer/frmMain.h"

using namespace tresslin;

namespace {

struct Options {
    QString book, bigBook, longBook, absent, common, fb2, fb2Zip, epub, utf16;
} gOpt;

QTemporaryDir* gTiny;  // a folder with a one-line book, opened to drop the previous one

QString tinyBook() {
    const QString p = gTiny->path() + QStringLiteral("/tiny.txt");
    if (!QFile::exists(p)) {
        QFile f(p);
        if (f.open(QIODevice::WriteOnly)) f.write("x\r\n");
    }
    return p;
}

long maxRssKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// A window shown on the offscreen platform, with prompts that answer at once.
struct Window {
    test::FakePrompts prompts;
    frmMain w{prompts};
    Window() {
        w.show();
        QCoreApplication::processEvents();
    }
    // Opened and painted: the line is on the screen.
    bool open(const QString& path) {
        const bool ok = w.OpenBook(locationOfText(path));
        w.view()->repaint();
        return ok;
    }
    void find(const QString& text) {
        prompts.findAnswers = {text};
        w.Form_KeyDown(Qt::Key_F, 2);
    }
    void goTo(long line) {
        prompts.inputAnswers = {QString::number(line)};
        w.Form_KeyDown(Qt::Key_L, 2);
    }
};

void BM_Open(benchmark::State& state, const QString* path) {
    Window win;
    for (auto _ : state) {
        state.PauseTiming();
        // The previous book goes away outside the measurement, as at a first open.
        win.open(tinyBook());
        state.ResumeTiming();
        if (!win.open(*path)) state.SkipWithError("open failed");
    }
    state.SetBytesProcessed(state.iterations() * QFile(*path).size());
    state.counters["lines"] = double(win.w.maxLine() + 1);
}

void BM_FindNext(benchmark::State& state, const QString* word) {
    Window win;
    if (!win.open(gOpt.book)) return state.SkipWithError("open failed");
    win.find(*word);  // the first search, confirmed in the find dialog
    const auto before = win.prompts.messages.size();
    for (auto _ : state) win.w.Form_KeyDown(Qt::Key_F3, 0);
    // A word absent from the book: every F3 scans it all and reports "not found".
    if (win.w.curLine() != 0 ||
        win.prompts.messages.size() - before != std::size_t(state.iterations()))
        state.SkipWithError("the word was found; it must be absent for a whole-book scan");
    state.SetBytesProcessed(state.iterations() * QFile(gOpt.book).size());
}

// The bench book has no empty lines, so it holds no chapter heading: every Page Down scans it all.
void BM_PageDown(benchmark::State& state) {
    Window win;
    if (!win.open(gOpt.book)) return state.SkipWithError("open failed");
    for (auto _ : state) win.w.Form_KeyDown(Qt::Key_PageDown, 0);
    if (win.w.curLine() != 0) state.SkipWithError("a heading was found; the book must hold none");
    state.SetBytesProcessed(state.iterations() * QFile(gOpt.book).size());
}

// Each call timed on its own: the median over many lines is the figure, long lines included.
class CallTimes {
  public:
    CallTimes() { ns_.reserve(1u << 20); }
    template <typename F>
    void time(F&& f) {
        const auto t0 = std::chrono::steady_clock::now();
        f();
        ns_.push_back(double((std::chrono::steady_clock::now() - t0).count()));
    }
    void report(benchmark::State& state) {
        if (ns_.empty()) return;
        std::nth_element(ns_.begin(), ns_.begin() + long(ns_.size() / 2), ns_.end());
        state.counters["median_us"] = ns_[ns_.size() / 2] / 1000.0;
    }

  private:
    std::vector<double> ns_;
};

// A line whose text differs from the one shown before (the line edit skips an unchanged text):
// stepping down through the book shows a new line each time, as reading does.
void BM_ShowNextLine(benchmark::State& state, const QString* path, long line) {
    Window win;
    if (!win.open(*path)) return state.SkipWithError("open failed");
    win.goTo(line);
    CallTimes times;
    for (auto _ : state) {
        if (win.w.curLine() == win.w.maxLine()) win.goTo(line);
        times.time([&] { win.w.Form_KeyDown(Qt::Key_Down, 0); });
    }
    times.report(state);
}

// The only line of a one-line book, shown again after the coding changed (Ctrl+S does this), so
// that every show converts and lays out the whole shown part anew.
void BM_ShowRecodedLine(benchmark::State& state, const QString* path) {
    Window win;
    if (!win.open(*path)) return state.SkipWithError("open failed");
    TextCoding c = kWindowsCyrillic;
    CallTimes times;
    for (auto _ : state) {
        c = c == kWindowsCyrillic ? kKoi8R : kWindowsCyrillic;
        settings::writeCoding(c);
        times.time([&] { win.w.RefreshShow(); });
    }
    times.report(state);
    state.counters["chars"] = double(win.w.view()->text().size());
}

// Down through the parts of the one-line book: each part is found from the one before, never
// by laying out the line from its start.
void BM_ShowNextPart(benchmark::State& state, const QString* path) {
    Window win;
    if (!win.open(*path)) return state.SkipWithError("open failed");
    CallTimes times;
    for (auto _ : state) times.time([&] { win.w.Form_KeyDown(Qt::Key_Down, 0); });
    times.report(state);
    if (win.w.view()->text().size() > 200) state.SkipWithError("the line was not wrapped");
}

void BM_PositionWrites(benchmark::State& state) {
    int last = 0;
    for (auto _ : state) {
        for (int i = 0; i < 10000; ++i) {
            last = 1000 + (i % 5000) * 15;
            settings::writeNumber(settings::Top, last);
            settings::writeNumber(settings::Left, last + 1);
            settings::writeNumber(settings::Width, last + 2);
        }
        if (!settings::flush()) state.SkipWithError("flush failed");
    }
    // The file on disk holds the last burst completely, next to the other keys.
    QFile f(settings::filePath());
    const QString text = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    const QString want = QStringLiteral("[Position]\nLeft=%1\nTop=%2\nWidth=%3\n")
                             .arg(last + 1)
                             .arg(last)
                             .arg(last + 2);
    if (!text.contains(want) || !text.contains(QStringLiteral("[Settings]")))
        state.SkipWithError("settings file incomplete after the flush");
    if (ReadSetting(settings::Width) != QString::number(last + 2))
        state.SkipWithError("the last write is not visible to a read");
}

// Reading for a while in simulated time: every stepMs a change (an auto-show tick or a
// repeated Down), the reading-place timer fired whenever the clock passes its end. Counts the
// times the settings file is replaced and the longest a change waited for the disk.
void BM_PlaceWrites(benchmark::State& state, bool autoShow, long durationMs, long stepMs) {
    const QString book = gTiny->path() + QStringLiteral("/place.txt");
    if (!QFile::exists(book)) {
        QFile f(book);
        if (!f.open(QIODevice::WriteOnly)) return state.SkipWithError("no book");
        for (int i = 0; i < 20000; ++i) f.write(QByteArray::number(i) + "\r\n");
    }
    Window win;
    ReadingPlace& place = win.w.readingPlace();
    std::uint64_t writes = 0;
    long maxWaitMs = 0;
    for (auto _ : state) {
        if (!win.open(book)) return state.SkipWithError("open failed");
        place.settle();
        const std::uint64_t before = settings::fileReplacements();
        long due = -1, oldestChange = -1;
        const auto advanceTo = [&](long t) {
            if (due < 0 || t < due) return;
            place.settle();
            maxWaitMs = std::max(maxWaitMs, due - oldestChange);
            due = oldestChange = -1;
        };
        for (long t = 0; t <= durationMs; t += stepMs) {
            advanceTo(t);
            if (autoShow)
                win.w.tmrAutoShow_Timer();
            else
                win.w.Form_KeyDown(Qt::Key_Down, 0);
            if (oldestChange < 0) oldestChange = t;
            if (due < 0 && place.timer().isActive()) due = t + place.timer().interval();
        }
        advanceTo(durationMs + place.timer().interval());
        writes = settings::fileReplacements() - before;
    }
    state.counters["replacements"] = double(writes);
    state.counters["max_unsaved_s"] = double(maxWaitMs) / 1000;
}

// Bound: QLineEdit::setText alone with text of a given length (alternating two texts so each
// call lays out anew), in the window's font, with and without text shaping.
void BM_LineEditSetText(benchmark::State& state, bool noShaping) {
    QFont font(QStringLiteral("Arial"), 9);
    font.setStyleHint(QFont::SansSerif);
    if (noShaping) font.setStyleStrategy(QFont::PreferNoShaping);
    QLineEdit edit;
    edit.setFont(font);
    edit.setReadOnly(true);
    edit.resize(380, 25);
    edit.show();
    QCoreApplication::processEvents();
    const QString word =
        QStringLiteral("\u043f\u0440\u0438\u0432\u0435\u0442 ");  // a Cyrillic word
    QString a, b;
    while (a.size() < state.range(0)) a += word;
    a.truncate(state.range(0));
    b = a;
    b[0] = u'x';
    bool flip = false;
    for (auto _ : state) {
        edit.setText((flip = !flip) ? a : b);
        edit.setCursorPosition(0);
    }
}

int openOnce(const QString& path) {
    const long before = maxRssKb();
    Window win;
    const long withWindow = maxRssKb();
    const auto t0 = std::chrono::steady_clock::now();
    const bool ok = win.open(path);
    const auto t1 = std::chrono::steady_clock::now();
    if (!ok) return 1;
    std::printf("open_ms %.3f lines %d bytes %lld maxrss_kb %ld window_kb %ld start_kb %ld\n",
                std::chrono::duration<double, std::milli>(t1 - t0).count(), win.w.maxLine() + 1,
                static_cast<long long>(QFile(path).size()), maxRssKb(), withWindow, before);
    return 0;
}

QString flag(int& argc, char** argv, const char* name) {
    const std::size_t n = std::strlen(name);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], name, n) == 0 && argv[i][n] == '=') {
            const QString v = QString::fromLocal8Bit(argv[i] + n + 1);
            for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
            --argc;
            return v;
        }
    }
    return {};
}

// A speech-dispatcher of its own, with espeak-ng and no sound card, as the end-to-end test starts.
bool startSpeechService(QProcess& speechd, const QTemporaryDir& dir) {
    const QString server = QStandardPaths::findExecutable(QStringLiteral("speech-dispatcher"));
    if (server.isEmpty()) return false;
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(dir.filePath(name)).path());
        QFile f(dir.filePath(name));
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    QFile conf(QStringLiteral("/etc/speech-dispatcher/modules/espeak-ng.conf"));
    if (!conf.open(QIODevice::ReadOnly)) return false;
    write(QStringLiteral("home/.libao"), "default_driver=null\n");
    write(QStringLiteral("conf/modules/espeak-ng.conf"), conf.readAll());
    write(QStringLiteral("conf/speechd.conf"),
          "CommunicationMethod \"unix_socket\"\nAudioOutputMethod \"libao\"\n"
          "AddModule \"espeak-ng\" \"sd_espeak-ng\" \"espeak-ng.conf\"\n"
          "DefaultModule espeak-ng\nDefaultLanguage \"ru\"\n");
    const QString sock = dir.filePath(QStringLiteral("speechd.sock"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    speechd.setProcessEnvironment(env);
    speechd.start(server, {"-s", "-t", "60", "-C", dir.filePath(QStringLiteral("conf")), "-S", sock,
                           "-L", dir.path(), "-P", dir.filePath(QStringLiteral("pid"))});
    if (!speechd.waitForStarted()) return false;
    // The socket appears once the service listens.
    for (int i = 0; i < 300 && !QFileInfo::exists(sock); ++i) speechd.waitForFinished(50);
    qputenv("SPEECHD_ADDRESS", ("unix_socket:" + sock).toLocal8Bit());
    return QFileInfo::exists(sock);
}

int firstReadAloud() {
    QTemporaryDir dir;
    QProcess speechd;
    if (!startSpeechService(speechd, dir)) {
        std::fprintf(stderr, "speech-dispatcher with espeak-ng could not be started\n");
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("TRESSLIN_SPEECH_MODULE"))
        qputenv("TRESSLIN_SPEECH_MODULE", TRESSLIN_SPEECH_MODULE_FILE);
    WriteSetting(settings::SpeechRate, QStringLiteral("10"));
    const QString path = dir.filePath(QStringLiteral("book.txt"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write("\xcc\xe0\xec\xe0\r\n\xe4\xe0\r\n") < 0)
            return 1;
    }
    WriteSetting(settings::DetectCoding, QStringLiteral("0"));
    Window win;
    if (!win.open(path)) return 1;
    // A timer of 1 ms runs at every turn of the event loop that finds it due: the gaps between
    // its runs, less that 1 ms, are the times the window could not answer.
    QElapsedTimer clock;
    qint64 last = 0, longest = 0, longestAt = 0, readyAt = -1;
    QEventLoop loop;
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (now - last > longest) longest = now - last, longestAt = last;
        last = now;
        // The strip has gone on to its second line: the first was said.
        if (win.w.curLine() == 1 || now > 60'000'000'000) loop.quit();
    });
    QObject::connect(&win.w.voice(), &Speech::ready, [&] { readyAt = clock.nsecsElapsed(); });
    beat.start(1);
    clock.start();
    win.w.Form_KeyDown(Qt::Key_P, 2);
    const qint64 keyNs = clock.nsecsElapsed();
    longest = std::max(longest, keyNs), last = keyNs;
    loop.exec();
    const bool said = win.w.curLine() == 1;
    std::printf(
        "Ctrl+P returned after %.2f ms; the event loop stood still at most %.2f ms (from %.1f ms "
        "on); the voice was ready after %.1f ms%s\n",
        keyNs / 1e6, longest / 1e6, longestAt / 1e6, readyAt / 1e6,
        said ? "" : "; the first part was NOT said in 60 s");
    qunsetenv("SPEECHD_ADDRESS");
    return said ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    QTemporaryDir tiny;
    gTiny = &tiny;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    const QString once = flag(argc, argv, "--open-once");
    gOpt.book = flag(argc, argv, "--book");
    gOpt.bigBook = flag(argc, argv, "--big");
    gOpt.longBook = flag(argc, argv, "--long");
    gOpt.absent = flag(argc, argv, "--absent");
    gOpt.common = flag(argc, argv, "--common");
    gOpt.fb2 = flag(argc, argv, "--fb2");
    gOpt.fb2Zip = flag(argc, argv, "--fb2zip");
    gOpt.epub = flag(argc, argv, "--epub");
    gOpt.utf16 = flag(argc, argv, "--utf16");
    QApplication app(argc, argv);
    // The settings file exists with its usual sections, as after any earlier run.
    WriteSetting(settings::LastFile, QStringLiteral("/x.txt"));
    settings::flush();
    if (!once.isEmpty()) return openOnce(once);
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--first-read-aloud") == 0) return firstReadAloud();

    benchmark::Initialize(&argc, argv);
    if (!gOpt.book.isEmpty()) {
        benchmark::RegisterBenchmark("Open/book", BM_Open, &gOpt.book)
            ->Unit(benchmark::kMillisecond);
        if (!gOpt.absent.isEmpty())
            benchmark::RegisterBenchmark("FindNext/absent", BM_FindNext, &gOpt.absent)
                ->Unit(benchmark::kMillisecond);
        if (!gOpt.common.isEmpty())
            benchmark::RegisterBenchmark("FindNext/commonest_letter", BM_FindNext, &gOpt.common)
                ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("PageDown/no_heading", BM_PageDown)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("ShowLine/ordinary", BM_ShowNextLine, &gOpt.book, 500000L)
            ->Unit(benchmark::kMicrosecond);
    }
    if (!gOpt.bigBook.isEmpty())
        benchmark::RegisterBenchmark("Open/big", BM_Open, &gOpt.bigBook)
            ->Unit(benchmark::kMillisecond);
    if (!gOpt.longBook.isEmpty()) {
        benchmark::RegisterBenchmark("Open/single_line_book", BM_Open, &gOpt.longBook)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("ShowLine/single_line_book", BM_ShowRecodedLine,
                                     &gOpt.longBook)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("ShowLine/single_line_next_part", BM_ShowNextPart,
                                     &gOpt.longBook)
            ->Unit(benchmark::kMicrosecond);
    }
    if (!gOpt.fb2.isEmpty())
        benchmark::RegisterBenchmark("Open/fb2", BM_Open, &gOpt.fb2)->Unit(benchmark::kMillisecond);
    if (!gOpt.fb2Zip.isEmpty())
        benchmark::RegisterBenchmark("Open/fb2_zip", BM_Open, &gOpt.fb2Zip)
            ->Unit(benchmark::kMillisecond);
    if (!gOpt.epub.isEmpty())
        benchmark::RegisterBenchmark("Open/epub", BM_Open, &gOpt.epub)
            ->Unit(benchmark::kMillisecond);
    if (!gOpt.utf16.isEmpty())
        benchmark::RegisterBenchmark("Open/utf16", BM_Open, &gOpt.utf16)
            ->Unit(benchmark::kMillisecond);
    for (bool noShaping : {false, true}) {
        benchmark::RegisterBenchmark(
            noShaping ? "Bound/QLineEdit_setText_no_shaping" : "Bound/QLineEdit_setText",
            BM_LineEditSetText, noShaping)
            ->Arg(64)
            ->Arg(300)
            ->Arg(4096)
            ->Arg(32767)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("PositionWrites/10000", BM_PositionWrites)
        ->Unit(benchmark::kMillisecond);
    // An hour of auto-show at its shortest interval; Down held for 10 s at a fast key repeat.
    benchmark::RegisterBenchmark("PlaceWrites/auto_show_hour", BM_PlaceWrites, true, 3600000L, 350L)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PlaceWrites/held_down_10s", BM_PlaceWrites, false, 10000L, 25L)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
