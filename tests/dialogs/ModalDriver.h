// Drives a modal dialog from inside its own exec(). A dialog the action leaves open fails the
// test and is closed, so a key that does nothing never hangs the run.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeySequence>
#include <QTest>
#include <QTimer>
#include <functional>

#include "settings/Settings.h"
#include "support/FakePrompts.h"
#include "support/TestSupport.h"
#include "viewer/frmMain.h"

namespace tresslin::test {

inline void WhenModal(std::function<void(QDialog&)> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr) << "no modal dialog is open";
        action(*dialog);
        EXPECT_FALSE(dialog->isVisible()) << "the dialog stayed open";
        dialog->reject();
    });
}

// Keys sent to the dialog's controls: "txtFind:Shift+Return spnOpacity:3*PgDown".
inline void PressIn(QWidget& dialog, const QString& script) {
    for (const QString& step : script.split(' ', Qt::SkipEmptyParts)) {
        auto* target = dialog.findChild<QWidget*>(step.section(':', 0, 0));
        ASSERT_NE(target, nullptr) << step.toStdString();
        const QString key = step.section(':', 1);
        const QKeyCombination k = QKeySequence::fromString(key.section('*', -1))[0];
        for (int i = key.contains('*') ? key.section('*', 0, 0).toInt() : 1; i > 0; --i)
            QTest::keyClick(target, k.key(), k.keyboardModifiers());
    }
}

}  // namespace tresslin::test
