// The hot key where the desktop offers no global key: start-up goes on, activation still works.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <string>

#include "platform/HotKey.h"

namespace tresslin {
namespace {

int count(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// The only test here that calls create(): the note is printed once per process.
TEST(HotKeyOffscreen, IsInactiveAndSaysSoOnceOnStderr) {
    QWidget window;
    window.show();
    testing::internal::CaptureStderr();
    const auto first = ActivationHotKey::create();
    const auto second = ActivationHotKey::create();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(first->isActive());
    EXPECT_FALSE(second->isActive());
    EXPECT_EQ(count(err, "keypad-plus hot key is unavailable"), 1) << err;
    EXPECT_NE(err.find("X11"), std::string::npos) << err;
}

TEST(RestoreAndActivate, RestoresAMinimisedWindowAndActivatesIt) {
    QWidget other;
    QWidget window;
    window.show();
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &other; }, 5000));
    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());

    restoreAndActivate(&window);

    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }, 5000));
}

TEST(RestoreAndActivate, KeepsAMaximisedWindowMaximised) {
    QWidget window;
    window.showMaximized();
    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());

    restoreAndActivate(&window);

    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isMaximized());
}

TEST(RestoreAndActivate, ActsOnTheTopLevelOfAChildAndShowsAHiddenWindow) {
    QWidget window;
    auto* child = new QWidget(&window);
    window.setWindowState(Qt::WindowMinimized);

    restoreAndActivate(child);

    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &window; }, 5000));
}

}  // namespace
}  // namespace tresslin
