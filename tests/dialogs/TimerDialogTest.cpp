#include <gtest/gtest.h>

#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <optional>

#include "FakePrompts.h"
#include "ModalDriver.h"
#include "QtPrompts.h"
#include "Settings.h"
#include "TestSupport.h"
#include "frmMain.h"
#include "frmTimer.h"

using namespace tresslin;
using namespace tresslin::test;

namespace {

QString StoredInterval() {
    return ReadSetting("TIMER", "T_INTERVAL", "(none)");
}

struct OpenCase {
    std::optional<QString> stored;
    int opensAt;
    QString storedAfterOpen;
};

class TimerOpen : public ::testing::TestWithParam<OpenCase> {};

TEST_P(TimerOpen, ProposesTheStoredIntervalOrTheDefault) {
    const OpenCase& c = GetParam();
    SettingsSandbox box;
    if (c.stored)
        WriteSetting("TIMER", "T_INTERVAL", *c.stored);
    FakePrompts prompts;
    frmMain main(prompts);
    frmTimer dialog(main);
    EXPECT_EQ(dialog.findChild<QScrollBar*>("vscInterval")->value(), c.opensAt);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("txtTime")->text(), QString::number(c.opensAt));
    EXPECT_EQ(StoredInterval(), c.storedAfterOpen);
}

// "350.4" opens at the initial value, so it shows whether opening wrote anything.
INSTANTIATE_TEST_SUITE_P(
    StoredValues, TimerOpen,
    ::testing::Values(OpenCase{std::nullopt, 2550, "2550"}, OpenCase{"350", 350, "350"},
                      OpenCase{"350.4", 350, "350.4"}, OpenCase{"10000", 10000, "10000"},
                      OpenCase{"2551", 2551, "2551"}, OpenCase{"20000", 2550, "2550"},
                      OpenCase{"100", 2550, "2550"}, OpenCase{"abc", 2550, "2550"},
                      OpenCase{"99999999999", 2550, "2550"}));

struct ArrowCase {
    QString stored;
    QAbstractSlider::SliderAction action;
    int value;
    bool writes;
};

class TimerArrows : public ::testing::TestWithParam<ArrowCase> {};

TEST_P(TimerArrows, StepByFiftyWithinTheRange) {
    const ArrowCase& c = GetParam();
    SettingsSandbox box;
    WriteSetting("TIMER", "T_INTERVAL", c.stored);
    FakePrompts prompts;
    frmMain main(prompts);
    frmTimer dialog(main);
    WriteSetting("TIMER", "T_INTERVAL", "untouched");
    auto* bar = dialog.findChild<QScrollBar*>("vscInterval");
    bar->triggerAction(c.action);
    EXPECT_EQ(bar->value(), c.value);
    EXPECT_EQ(dialog.findChild<QLineEdit*>("txtTime")->text(), QString::number(c.value));
    EXPECT_EQ(StoredInterval(), c.writes ? QString::number(c.value) : "untouched");
}

constexpr auto kUp = QAbstractSlider::SliderSingleStepSub;
constexpr auto kDown = QAbstractSlider::SliderSingleStepAdd;
INSTANTIATE_TEST_SUITE_P(
    Ends, TimerArrows,
    ::testing::Values(ArrowCase{"10000", kDown, 10000, false}, ArrowCase{"10000", kUp, 9950, true},
                      ArrowCase{"350", kUp, 350, false}, ArrowCase{"350", kDown, 400, true},
                      ArrowCase{"2551", kUp, 2501, true}, ArrowCase{"2551", kDown, 2601, true},
                      ArrowCase{"9951", kDown, 10000, true},
                      ArrowCase{"2550", QAbstractSlider::SliderPageStepAdd, 2600, true},
                      ArrowCase{"2550", QAbstractSlider::SliderPageStepSub, 2500, true}));

TEST(TimerRun, StartsAutoShowAtTheChosenInterval) {
    SettingsSandbox box;
    WriteSetting("TIMER", "T_INTERVAL", "2551");
    FakePrompts prompts;
    frmMain main(prompts);
    QtPrompts real;
    WhenModal([](QDialog& d) {
        EXPECT_EQ(d.focusWidget(), d.findChild<QWidget*>("cmdRun"));
        QTest::keyClick(d.findChild<QScrollBar*>("vscInterval"), Qt::Key_Enter, Qt::KeypadModifier);
    });
    real.showTimer(main);
    EXPECT_TRUE(main.autoShowTimer().isActive());
    EXPECT_EQ(main.autoShowTimer().interval(), 2551);
    EXPECT_TRUE(main.windowTitle().endsWith("   Timer: On")) << main.windowTitle().toStdString();
    main.autoShowTimer().stop();
}

TEST(TimerRun, EscStartsNothingButKeepsTheNewInterval) {
    SettingsSandbox box;
    FakePrompts prompts;
    frmMain main(prompts);
    QtPrompts real;
    WhenModal([](QDialog& d) {
        d.findChild<QScrollBar*>("vscInterval")->triggerAction(kDown);
        QTest::keyClick(d.findChild<QWidget*>("cmdRun"), Qt::Key_Escape);
    });
    real.showTimer(main);
    EXPECT_FALSE(main.autoShowTimer().isActive());
    EXPECT_FALSE(main.windowTitle().contains("Timer: On"));
    EXPECT_EQ(StoredInterval(), "2600");
}

}  // namespace
