// The process the reliability tests start, kill and trace:
//   burst BASE KILL_US  settings groups written one per event-loop turn, with the values BASE+1,
//                       BASE+2, ...; SIGKILL comes KILL_US microseconds after the first save
//   session BOOK        a session through the program's own dialogs, answered as a user would:
//                       open BOOK, step, a coding and a colour in the settings, Esc
#include <unistd.h>

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QPushButton>
#include <QTimer>
#include <csignal>
#include <functional>
#include <thread>

#include "dialogs/QtDialogPrompts.h"
#include "platform/FileNames.h"
#include "settings/Settings.h"
#include "viewer/frmMain.h"

using namespace tresslin;

namespace {

// Each group is written as the program writes it from one handler; a "torn" value overwritten
// in the same turn must never reach the disk.
void writeGroup(long long g) {
    const QString v = QString::number(g);
    if (g % 2) {
        WriteSetting(settings::LastFile, "torn");
        WriteSetting(settings::LastFile, "/b" + v);
        WriteSetting(settings::LastLine, v);
    } else {
        WriteSetting(settings::Top, "torn");
        WriteSetting(settings::Top, v);
        WriteSetting(settings::Left, v);
        WriteSetting(settings::Width, v);
    }
}

int burst(QCoreApplication& app, long long base, long us) {
    long long g = base;
    std::function<void()> turn = [&] {
        // The first save sets the store up and takes far longer than the rest.
        if (g == base + 1) {
            std::thread([us] {
                std::this_thread::sleep_for(std::chrono::microseconds(us));
                std::raise(SIGKILL);
            }).detach();
        }
        writeGroup(++g);
        QTimer::singleShot(0, turn);
    };
    QTimer::singleShot(0, turn);
    return app.exec();
}

void answer(QWidget* modal, const QString& book) {
    if (auto* d = qobject_cast<QFileDialog*>(modal)) {
        d->selectFile(book);
        static_cast<QDialog*>(d)->accept();
    } else if (auto* d = qobject_cast<QColorDialog*>(modal)) {
        d->setCurrentColor(QColor(20, 40, 160));
        d->accept();
    } else if (modal->objectName() == "frmSettings") {
        auto* coding = modal->findChild<QComboBox*>("cmbCoding");
        if (coding->currentIndex() == 1) return static_cast<QDialog*>(modal)->reject();
        coding->setCurrentIndex(1);
        emit coding->activated(1);
        // The colour dialog opens inside this dialog's loop.
        QTimer::singleShot(0, modal->findChild<QPushButton*>("cmdText"), &QPushButton::click);
    }
}

int session(QApplication& app, const QString& book) {
    QtDialogPrompts prompts;
    frmMain window(prompts);
    window.Form_Load({});
    window.show();
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) answer(modal, book);
    });
    driver.start(5);
    // The dialogs whose Qt classes keep state of their own: files and colours.
    const int keys[][2] = {{Qt::Key_O, 2}, {Qt::Key_Down, 0}, {Qt::Key_S, 2}, {Qt::Key_Escape, 0}};
    // Each key returns once the dialog it opens has been answered.
    QTimer::singleShot(0, [&] {
        for (const auto& [key, shift] : keys) window.Form_KeyDown(key, shift);
    });
    const int rc = app.exec();
    settings::flush();
    return window.bookLocation() == locationOfText(book) ? rc : 5;
}

}  // namespace

int main(int argc, char** argv) {
    // A child that outlives its test by far has hung: end it so the test fails, not waits.
    alarm(60);
    const std::string mode = argc == 3 || argc == 4 ? argv[1] : "";
    if (mode == "burst") {
        QCoreApplication app(argc, argv);
        return burst(app, std::atoll(argv[2]), std::atol(argv[3]));
    }
    if (mode == "session") {
        QApplication app(argc, argv);
        return session(app, QString::fromLocal8Bit(argv[2]));
    }
    return 2;
}
