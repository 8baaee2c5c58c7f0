#include <QLineEdit>

#include "ModalDriver.h"
#include "dialogs/frmTimer.h"

using namespace tresslin;
using namespace tresslin::test;

// Opening with a stored text; then, with the store marked, arrows or track clicks (the minimum
// is at the top), and Enter to run or Esc. The value stays when a key cannot move it, and
// nothing is written then.
TEST(TimerDialog, OpensAtTheStoredIntervalStoresEveryStepAndRunsOnEnter) {
    const struct {
        const char* stored;  // nothing: none
        int opensAt;
        const char* storedAfterOpen;
        const char* keys;
        int after;
    } rows[] = {
        {nullptr, 2550, "2550", "Up Esc", 2500},      {"350", 350, "350", "Up Esc", 350},
        {"350.4", 350, "350.4", "Down Esc", 400},  // the bar's first value: opening wrote nothing
        {"10000", 10000, "10000", "Down Esc", 10000}, {"2551", 2551, "2551", "Up Num+Enter", 2501},
        {"9951", 9951, "9951", "Down Return", 10000}, {"20000", 2550, "2550", "PgDown Esc", 2600},
        {"abc", 2550, "2550", "2*PgUp Esc", 2450},
    };
    for (const auto& c : rows) {
        SCOPED_TRACE(c.stored ? c.stored : "none");
        SettingsSandbox box;
        FakePrompts prompts;
        frmMain main(prompts);
        if (c.stored) WriteSetting(settings::TimerInterval, c.stored);
        frmTimer dialog(&main, main);
        const auto shown = [&] { return dialog.findChild<QLineEdit*>("txtTime")->text(); };
        EXPECT_EQ(shown(), QString::number(c.opensAt));
        EXPECT_EQ(ReadSetting(settings::TimerInterval), c.storedAfterOpen);
        WriteSetting(settings::TimerInterval, "marked");
        WhenModal([&](QDialog& d) {
            EXPECT_EQ(d.focusWidget(), d.findChild<QWidget*>("cmdRun"));
            PressIn(d, "vscInterval:" + QString(c.keys).replace(" ", " vscInterval:"));
        });
        dialog.exec();
        EXPECT_EQ(shown(), QString::number(c.after));
        EXPECT_EQ(ReadSetting(settings::TimerInterval),
                  c.after == c.opensAt ? "marked" : QString::number(c.after));
        const bool runs = QString(c.keys).contains("Enter") || QString(c.keys).contains("Return");
        EXPECT_EQ(main.autoShowTimer().isActive() ? main.autoShowTimer().interval() : 0,
                  runs ? c.after : 0);
    }
}
