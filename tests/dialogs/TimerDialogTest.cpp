#include <gtest/gtest.h>

#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <optional>
#include <ostream>

#include "ModalDriver.h"
#include "dialogs/QtDialogPrompts.h"
#include "dialogs/frmTimer.h"
#include "settings/Settings.h"
#include "support/FakePrompts.h"
#include "support/TestSupport.h"
#include "viewer/frmMain.h"

using namespace tresslin;
using namespace tresslin::test;

namespace {

QString StoredInterval() {
    return ReadSetting(settings::TimerInterval);
}
QScrollBar* Bar(QDialog& d) {
    return d.findChild<QScrollBar*>("vscInterval");
}
QString Shown(QDialog& d) {
    return d.findChild<QLineEdit*>("txtTime")->text();
}

struct TimerFixture {
    SettingsSandbox box;
    FakePrompts prompts;
    frmMain main{prompts};
};

// Opening with a stored text; then, with the store marked, one arrow or track click.
struct TimerCase {
    std::optional<QString> stored;
    int opensAt;
    QString storedAfterOpen;
    QAbstractSlider::SliderAction action;
    int afterAction;  // the value stays when the action could not move it: nothing is written
};
void PrintTo(const TimerCase& c, std::ostream* os) {
    *os << (c.stored ? c.stored->toStdString() : "(missing)") << " action " << int(c.action);
}

class TimerDialog : public ::testing::TestWithParam<TimerCase> {};

TEST_P(TimerDialog, OpensAtTheStoredIntervalAndStoresEveryStep) {
    const TimerCase& c = GetParam();
    TimerFixture f;
    if (c.stored) WriteSetting(settings::TimerInterval, *c.stored);
    frmTimer dialog(&f.main, f.main);
    EXPECT_EQ(Bar(dialog)->value(), c.opensAt);
    EXPECT_EQ(Shown(dialog), QString::number(c.opensAt));
    EXPECT_EQ(StoredInterval(), c.storedAfterOpen);

    WriteSetting(settings::TimerInterval, "marked");
    Bar(dialog)->triggerAction(c.action);
    EXPECT_EQ(Bar(dialog)->value(), c.afterAction);
    EXPECT_EQ(Shown(dialog), QString::number(c.afterAction));
    EXPECT_EQ(StoredInterval(),
              c.afterAction == c.opensAt ? "marked" : QString::number(c.afterAction));
}

constexpr auto kUp = QAbstractSlider::SliderSingleStepSub;
constexpr auto kDown = QAbstractSlider::SliderSingleStepAdd;
// "350.4" opens at the scroll bar's initial value, so it shows whether opening wrote anything.
INSTANTIATE_TEST_SUITE_P(
    Stored, TimerDialog,
    ::testing::Values(
        TimerCase{std::nullopt, 2550, "2550", kUp, 2500}, TimerCase{"350", 350, "350", kUp, 350},
        TimerCase{"350.4", 350, "350.4", kDown, 400},
        TimerCase{"10000", 10000, "10000", kDown, 10000},
        TimerCase{"10000", 10000, "10000", kUp, 9950}, TimerCase{"2551", 2551, "2551", kUp, 2501},
        TimerCase{"2551", 2551, "2551", kDown, 2601}, TimerCase{"9951", 9951, "9951", kDown, 10000},
        TimerCase{"20000", 2550, "2550", QAbstractSlider::SliderPageStepAdd, 2600},
        TimerCase{"100", 2550, "2550", QAbstractSlider::SliderPageStepSub, 2500},
        TimerCase{"abc", 2550, "2550", kUp, 2500},
        TimerCase{"99999999999", 2550, "2550", kUp, 2500}));

TEST(TimerRun, EnterStartsAutoShowEscStartsNothing) {
    TimerFixture f;
    WriteSetting(settings::TimerInterval, "2551");
    QtDialogPrompts real;
    WhenModal([](QDialog& d) {
        EXPECT_EQ(d.focusWidget(), d.findChild<QWidget*>("cmdRun"));
        Bar(d)->triggerAction(kDown);
        QTest::keyClick(Bar(d), Qt::Key_Escape);
    });
    real.showTimer(&f.main, f.main);
    EXPECT_FALSE(f.main.autoShowTimer().isActive());
    EXPECT_FALSE(f.main.windowTitle().contains("Timer: On"));
    EXPECT_EQ(StoredInterval(), "2601");

    WhenModal([](QDialog& d) { QTest::keyClick(Bar(d), Qt::Key_Enter, Qt::KeypadModifier); });
    real.showTimer(&f.main, f.main);
    EXPECT_TRUE(f.main.autoShowTimer().isActive());
    EXPECT_EQ(f.main.autoShowTimer().interval(), 2601);
    EXPECT_TRUE(f.main.windowTitle().endsWith("   Timer: On"))
        << f.main.windowTitle().toStdString();
}

}  // namespace
