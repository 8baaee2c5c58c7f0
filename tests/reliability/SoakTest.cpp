// A long session driven directly: 100,000 timer ticks, key steps and finds through a large book,
// the heap in use staying where it was.
#include <malloc.h>

#include <QCoreApplication>

#include "Processes.h"
#include "platform/FileNames.h"
#include "settings/Settings.h"
#include "support/FakePrompts.h"
#include "viewer/frmMain.h"

// Under AddressSanitizer this reads nothing; LeakSanitizer looks for leaks there instead.
static std::size_t heapInUse() {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

using namespace tresslin;
using namespace tresslin::test;

TEST(Soak, HundredThousandTicksAndStepsKeepTheHeapFlat) {
    SettingsSandbox box;
    TempBooks books;
    // Now and then a line far wider than the view.
    std::string book = NumberedBook(250000);
    for (std::size_t at = 0; (at = book.find("0\r\n", at + 60000)) != std::string::npos;)
        book.insert(at + 1, 40000, 'x');
    FakePrompts prompts;
    frmMain w(prompts);
    w.show();
    ASSERT_TRUE(w.OpenBook(locationOfText(books.write("large.txt", book))));
    prompts.findAnswers.push_back("line 1");
    w.Form_KeyDown(Qt::Key_F, 2);
    const auto run = [&](int from, int to) {
        for (int step = from; step < to; ++step) {
            w.tmrAutoShow_Timer();
            if (step % 4 == 1) w.Form_KeyDown(step % 12 == 5 ? Qt::Key_Up : Qt::Key_Down, 0);
            if (step % 9973 == 0) w.Form_KeyDown(Qt::Key_F3, 0);
            if (step % 25000 == 24999) w.Form_KeyDown(Qt::Key_Home, 0);
            if (step % 500 == 0) QCoreApplication::processEvents();
        }
        // Measured on the same short line each time: a long line takes its memory while shown.
        w.Form_KeyDown(Qt::Key_Home, 0);
        w.Form_KeyDown(Qt::Key_Down, 0);
        QCoreApplication::processEvents();
        return heapInUse();
    };
    const std::size_t warm = run(0, 30000);
    // A leak of even 8 bytes a step would be over 512 KB.
    EXPECT_LT(run(30000, 100000), warm + (512u << 10));
    w.Form_KeyDown(Qt::Key_End, 0);
    EXPECT_EQ(w.maxLine(), 249999);
    EXPECT_EQ(w.view()->text(), " Line 250000");
}
