// A long session driven directly: 100,000 timer ticks and key steps through a large book, with
// the event loop turning now and then, and the memory in use staying where it was.
#include <malloc.h>
#include <unistd.h>

#include <QCoreApplication>
#include <fstream>
#include <iostream>

#include "ReliabilityFixture.h"
#include "settings/Settings.h"
#include "support/FakePrompts.h"
#include "viewer/frmMain.h"

#if defined(__SANITIZE_ADDRESS__)
#define TRESSLIN_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRESSLIN_ASAN 1
#endif
#endif
#ifdef TRESSLIN_ASAN
// The sanitizer's count of bytes in use (GCC ships no header declaring it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

using namespace tresslin;
using namespace tresslin::test;

namespace {

// Heap bytes in use by the program.
std::size_t HeapInUse() {
#ifdef TRESSLIN_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
#endif
}

// Resident memory; meaningless under AddressSanitizer, whose quarantine holds freed memory.
std::size_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * std::size_t(sysconf(_SC_PAGESIZE));
}

std::string LargeBook(int lines) {
    std::string s;
    s.reserve(std::size_t(lines) * 70);
    for (int i = 0; i < lines; ++i) {
        s += "\xD1\xF2\xF0\xEE\xEA\xE0 " + std::to_string(i) + ' ';  // "Строка N " in cp1251
        s.append(std::size_t(i % 113), char(0xE0 + i % 32));
        if (i % 5000 == 0) s.append(40000, 'x');  // now and then a line longer than the view
        s += "\r\n";
    }
    return s;
}

}  // namespace

TEST(Soak, HundredThousandTicksAndStepsKeepMemoryFlat) {
    SettingsSandbox box;
    TempBooks books;
    FakePrompts prompts;
    frmMain w(prompts);
    w.show();
    ASSERT_TRUE(w.OpenBook(books.write("large.txt", LargeBook(250000))));
    WriteSetting(settings::TextCoding, "0");
    prompts.findAnswers.push_back(QStringLiteral("строка 1"));
    w.Form_KeyDown(Qt::Key_F, 2);
    ASSERT_EQ(w.curLine(), 1);

    int step = 0;
    auto run = [&](int count) {
        for (int i = 0; i < count; ++i, ++step) {
            w.tmrAutoShow_Timer();
            switch (step % 16) {
                case 3:
                    w.Form_KeyDown(Qt::Key_Down, 0);
                    break;
                case 7:
                    w.Form_KeyDown(Qt::Key_Up, 0);
                    break;
                case 11:
                    w.imgNext_Click();
                    break;
                case 13:
                    w.imgBack_Click();
                    break;
                default:
                    break;
            }
            if (step % 25000 == 24999) w.Form_KeyDown(Qt::Key_Home, 0);
            if (step % 9973 == 0) w.Form_KeyDown(Qt::Key_F3, 0);  // find the next "строка 1"
            if (step % 500 == 0) QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents();
    };
    // Measured on the same short line each time: a long line shown takes its memory while shown.
    auto measure = [&](std::size_t& heap, std::size_t& rss) {
        w.Form_KeyDown(Qt::Key_Home, 0);
        w.Form_KeyDown(Qt::Key_Down, 0);
        QCoreApplication::processEvents();
        heap = HeapInUse();
        rss = ResidentBytes();
    };
    std::size_t heap0 = 0, rss0 = 0, heap1 = 0, rss1 = 0;
    run(30000);  // warm-up, every kind of step included
    measure(heap0, rss0);
    run(70000);
    measure(heap1, rss1);
    std::cout << "[   INFO   ] heap " << heap0 << " -> " << heap1 << " bytes, resident " << rss0
              << " -> " << rss1 << " bytes over 70,000 steps\n";
    // A leak of even 8 bytes a step would be over 512 KB.
    EXPECT_LT(heap1, heap0 + (512u << 10));
#ifndef TRESSLIN_ASAN
    EXPECT_LT(rss1, rss0 + (4u << 20));
#endif
    // Still showing the line it is at, of the book it opened.
    w.Form_KeyDown(Qt::Key_End, 0);
    EXPECT_EQ(w.maxLine(), 249999);
    EXPECT_TRUE(w.view()->text().startsWith(QStringLiteral(" Строка %1 ").arg(w.curLine())))
        << w.view()->text().left(30).toStdString();
}
