// Where the desktop offers no global key (the offscreen platform): start-up goes on, it is said
// once, and bringing a window back still works.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>

#include "platform/HotKey.h"

namespace tresslin {
namespace {

TEST(HotKeyOffscreen, IsInactiveAndSaysSoOnceOnStderr) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ActivationHotKey::create()->isActive());
    EXPECT_FALSE(ActivationHotKey::create()->isActive());
    const QString err = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_EQ(err.count("keypad-plus hot key is unavailable"), 1) << err.toStdString();
}

TEST(RestoreAndActivate, BringsBackTheTopLevelAsItWasBeforeMinimised) {
    for (const bool maximised : {false, true}) {
        QWidget other, window;
        auto* child = new QWidget(&window);
        maximised ? window.showMaximized() : window.show();
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &other; }));
        window.showMinimized();
        restoreAndActivate(child);
        EXPECT_FALSE(window.isMinimized());
        EXPECT_EQ(window.isMaximized(), maximised);
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }));
    }
}

}  // namespace
}  // namespace tresslin
