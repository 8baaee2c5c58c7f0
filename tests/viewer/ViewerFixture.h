// A main window on the offscreen platform with scripted prompts and its own settings folder.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <memory>

#include "settings/Settings.h"
#include "support/FakePrompts.h"
#include "support/TestSupport.h"
#include "viewer/frmMain.h"

namespace tresslin::test {

class ViewerTest : public ::testing::Test {
  protected:
    void SetUp() override { makeWindow(); }

    void makeWindow() {
        window.reset();
        window = std::make_unique<frmMain>(prompts);
    }
    // Opens a book of the given bytes and checks it opened.
    void open(std::string_view bytes, const QString& name = "book.txt") {
        ASSERT_TRUE(window->OpenBook(books.write(name, bytes)));
    }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent e(QEvent::KeyPress, k, mods);
        QCoreApplication::sendEvent(window.get(), &e);
    }
    QString caption() const { return window->windowTitle(); }
    QString view() const { return window->view()->text(); }
    void setCoding(int c) { WriteSetting(settings::TextCoding, QString::number(c)); }

    SettingsSandbox sandbox;
    TempBooks books;
    FakePrompts prompts;
    std::unique_ptr<frmMain> window;
};

}  // namespace tresslin::test
