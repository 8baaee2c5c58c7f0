// A main window on the offscreen platform with scripted prompts and its own settings folder.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>

#include "platform/FileNames.h"
#include "settings/Settings.h"
#include "support/FakePrompts.h"
#include "support/TestSupport.h"
#include "viewer/frmMain.h"

namespace tresslin::test {

class ViewerTest : public ::testing::Test {
  protected:
    void makeWindow() { window.reset(), window = std::make_unique<frmMain>(prompts); }
    void open(std::string_view bytes, const QString& name = "book.txt") {
        ASSERT_TRUE(window->OpenBook(locationOfText(books.write(name, bytes))));
    }
    // Steps apart by blanks: keys as "Ctrl+L", "3*Down" for a repeat, "next" and "back" for the
    // image buttons, "timer" to start the auto-show, "tick" for its timer, "wheel-120".
    void press(const QString& script) {
        for (const QString& step : script.split(' ', Qt::SkipEmptyParts)) {
            const auto star = step.indexOf('*');
            for (int i = star > 0 ? step.left(star).toInt() : 1; i > 0; --i)
                pressOnce(step.mid(star + 1));
        }
    }
    QString caption() const { return window->windowTitle(); }
    QString view() const { return window->view()->text(); }

    SettingsSandbox sandbox;
    TempBooks books;
    FakePrompts prompts;
    std::unique_ptr<frmMain> window = std::make_unique<frmMain>(prompts);

  private:
    void pressOnce(const QString& step) {
        if (step == "next") return window->imgNext_Click();
        if (step == "back") return window->imgBack_Click();
        if (step == "tick") return window->tmrAutoShow_Timer();
        if (step == "timer") return window->startAutoShow(100000);
        if (step.startsWith("wheel")) {
            QWheelEvent e({5, 5}, {5, 5}, {}, {0, step.mid(5).toInt()}, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
            return void(QCoreApplication::sendEvent(window.get(), &e));
        }
        const QKeyCombination k =
            step == "Ctrl" ? QKeyCombination(Qt::Key_Control) : QKeySequence::fromString(step)[0];
        ASSERT_NE(k.toCombined(), 0) << step.toStdString();
        QKeyEvent e(QEvent::KeyPress, k.key(), k.keyboardModifiers());
        QCoreApplication::sendEvent(window.get(), &e);
    }
};

}  // namespace tresslin::test
