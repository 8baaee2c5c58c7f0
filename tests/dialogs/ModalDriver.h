// Drives a modal dialog from inside its own exec(): the action runs on the dialog once its event
// loop turns. A dialog the action leaves open fails the test and is closed, so a key that does
// nothing never hangs the run.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeySequence>
#include <QTest>
#include <QTimer>
#include <functional>

namespace tresslin::test {

inline void WhenModal(std::function<void(QDialog&)> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no modal dialog is open";
            return;
        }
        action(*dialog);
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog stayed open";
            dialog->reject();
        }
    });
}

// Keys sent to the dialog's controls, steps apart by blanks: "txtFind:Shift+Return", and
// "spnOpacity:3*PgDown" for a repeat.
inline void PressIn(QWidget& dialog, const QString& script) {
    for (const QString& step : script.split(' ', Qt::SkipEmptyParts)) {
        auto* target = dialog.findChild<QWidget*>(step.section(':', 0, 0));
        ASSERT_NE(target, nullptr) << step.toStdString();
        const QString key = step.section(':', 1);
        const int times = key.contains('*') ? key.section('*', 0, 0).toInt() : 1;
        const QKeySequence keys = QKeySequence::fromString(key.section('*', -1));
        for (int i = 0; i < times; ++i)
            QTest::keyClick(target, keys[0].key(), keys[0].keyboardModifiers());
    }
}

}  // namespace tresslin::test
