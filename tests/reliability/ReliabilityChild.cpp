// The process the reliability tests start, kill and watch. Modes:
//   burst BASE COUNT KILL_US   settings writes in bursts, one group per event-loop turn, values
//                              BASE+1, BASE+2, ...; a kernel timer sends SIGKILL KILL_US
//                              microseconds after the first save (0: none, then COUNT turns
//                              and a normal end)
//   instance BOOK STEPS X Y W  the main window on BOOK, STEPS lines in, at X,Y with width W;
//                              prints "ready TOP LEFT WIDTH" (its place in twips) once up,
//                              quits on SIGTERM like the program, then prints "saved ..."
//   place BOOK STEPS           the main window on BOOK, STEPS lines in; its reading-place timer
//                              is run out, "placed" printed, and it waits to be killed
//   session BOOK               a whole session through the program's own dialogs, answered as
//                              a user would: open BOOK, step, find, go to a line, settings with
//                              a colour, the timer, the commands list, Esc
// The settings folder comes from XDG_CONFIG_HOME as usual.
#include <unistd.h>

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/QtDialogPrompts.h"
#include "platform/Twips.h"
#include "settings/Settings.h"
#include "support/FakePrompts.h"
#include "viewer/App.h"
#include "viewer/frmMain.h"

using namespace tresslin;

namespace {

void armKill(long microseconds) {
    if (microseconds <= 0) return;
    sigevent ev{};
    ev.sigev_notify = SIGEV_SIGNAL;
    ev.sigev_signo = SIGKILL;
    timer_t timer{};
    if (timer_create(CLOCK_MONOTONIC, &ev, &timer) != 0) std::exit(3);
    itimerspec when{};
    when.it_value.tv_sec = microseconds / 1000000;
    when.it_value.tv_nsec = (microseconds % 1000000) * 1000;
    if (timer_settime(timer, 0, &when, nullptr) != 0) std::exit(3);
}

// The groups the program writes from one handler, each written whole with one value. A
// value "torn" written first and overwritten in the same turn must never reach the disk.
void writeGroup(long long g) {
    const QString v = QString::number(g);
    switch (g % 3) {
        case 0:
            WriteSetting(settings::LastFile, "torn");
            WriteSetting(settings::LastLine, "torn");
            WriteSetting(settings::LastFile, "/books/book-" + v + ".txt");
            WriteSetting(settings::LastLine, v);
            break;
        case 1:
            WriteSetting(settings::Top, "torn");
            WriteSetting(settings::Top, v);
            WriteSetting(settings::Left, v);
            WriteSetting(settings::Width, v);
            break;
        default:
            WriteSetting(settings::TextColor, v);
            WriteSetting(settings::BackColor, "torn");
            WriteSetting(settings::BackColor, v);
            break;
    }
}

int burst(long long base, long long count, long killUs) {
    int argc = 1;
    char name[] = "tresslin_reliability_child";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    long long g = base;
    std::function<void()> turn = [&] {
        // The clock starts once the first save is done (the first takes far longer, setting
        // the store up), so that the kills fall within the bursts.
        if (g == base + 1) armKill(killUs);
        writeGroup(++g);
        if (killUs <= 0 && g - base >= count) {
            QCoreApplication::quit();
            return;
        }
        // The next turn is posted after the store's own save request, so each turn is saved.
        QTimer::singleShot(0, turn);
    };
    QTimer::singleShot(0, turn);
    app.exec();
    return settings::flush() ? 0 : 4;
}

int instance(const char* book, int steps, int x, int y, int width) {
    int argc = 1;
    char name[] = "tresslin_reliability_child";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    test::FakePrompts prompts;
    frmMain window(prompts);
    installTerminationHandler(window);
    window.Form_Load({QString::fromLocal8Bit(book)});
    for (int i = 0; i < steps; ++i) window.Form_KeyDown(Qt::Key_Down, 0);
    window.show();
    QCoreApplication::processEvents();
    // Moved and widened as a user would, once it is up.
    window.move(x, y);
    window.resize(width, window.height());
    QCoreApplication::processEvents();
    const auto tell = [&](const char* what) {
        const QRect frame = window.frameGeometry();
        std::printf("%s %d %d %d\n", what, pixelsToTwips(frame.y()), pixelsToTwips(frame.x()),
                    pixelsToTwips(frame.width()));
        std::fflush(stdout);
    };
    tell("ready");
    const int rc = app.exec();
    settings::flush();
    tell("saved");
    return rc;
}

int place(const char* book, int steps) {
    int argc = 1;
    char name[] = "tresslin_reliability_child";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    test::FakePrompts prompts;
    frmMain window(prompts);
    window.Form_Load({QString::fromLocal8Bit(book)});
    for (int i = 0; i < steps; ++i) window.Form_KeyDown(Qt::Key_Down, 0);
    if (!window.readingPlace().timer().isActive()) return 6;
    window.readingPlace().settle();
    std::printf("placed\n");
    std::fflush(stdout);
    return app.exec();
}

// Answers whatever modal dialog is up, as a user would; visits counts the times each was seen.
void answerDialog(const QString& book, std::map<QWidget*, int>& visits) {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) return;
    const int visit = visits[modal]++;
    if (auto* d = qobject_cast<QFileDialog*>(modal)) {
        d->selectFile(book);
        static_cast<QDialog*>(d)->accept();
    } else if (auto* d = qobject_cast<QColorDialog*>(modal)) {
        d->setCurrentColor(QColor(20, 40, 160));
        d->accept();
    } else if (auto* d = qobject_cast<QInputDialog*>(modal)) {
        d->setTextValue(QStringLiteral("5"));
        d->accept();
    } else if (auto* d = qobject_cast<QMessageBox*>(modal)) {
        d->accept();
    } else if (modal->objectName() == "frmFind") {
        modal->findChild<QLineEdit*>("txtFind")->setText(QStringLiteral("the"));
        modal->findChild<QPushButton*>("cmdFind")->click();
    } else if (modal->objectName() == "frmSettings") {
        if (visit == 0) {
            auto* coding = modal->findChild<QComboBox*>("cmbCoding");
            coding->setCurrentIndex(1);
            emit coding->activated(1);
            // The colour dialog opens from the button, inside this dialog's loop.
            QTimer::singleShot(0, modal->findChild<QPushButton*>("cmdText"), &QPushButton::click);
        } else if (!QApplication::activeModalWidget()->inherits("QColorDialog")) {
            static_cast<QDialog*>(modal)->reject();
        }
    } else if (modal->objectName() == "frmTimer") {
        modal->findChild<QPushButton*>("cmdRun")->click();
    } else if (auto* d = qobject_cast<QDialog*>(modal); d && visit > 50) {
        std::fprintf(stderr, "session: an unknown dialog %s\n", qPrintable(modal->objectName()));
        d->reject();
    }
}

int session(const char* book) {
    int argc = 1;
    char name[] = "tresslin_reliability_child";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    const QString path = QString::fromLocal8Bit(book);
    QtDialogPrompts prompts;
    frmMain window(prompts);
    window.Form_Load({});
    window.show();
    std::map<QWidget*, int> visits;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] { answerDialog(path, visits); });
    driver.start(5);
    const auto key = [&](int k, int shift = 0) {
        return [&window, k, shift] { window.Form_KeyDown(k, shift); };
    };
    const std::vector<std::function<void()>> steps = {key(Qt::Key_O, 2),
                                                      key(Qt::Key_Down),
                                                      key(Qt::Key_Down),
                                                      key(Qt::Key_Down),
                                                      key(Qt::Key_Up),
                                                      key(Qt::Key_F, 2),
                                                      key(Qt::Key_F3),
                                                      key(Qt::Key_L, 2),
                                                      key(Qt::Key_S, 2),
                                                      key(Qt::Key_T, 2),
                                                      [&] {
                                                          for (int i = 0; i < 5; ++i)
                                                              window.tmrAutoShow_Timer();
                                                      },
                                                      key(Qt::Key_End),
                                                      key(Qt::Key_Home),
                                                      key(Qt::Key_F1),
                                                      key(Qt::Key_Escape)};
    std::size_t next = 0;
    std::function<void()> run = [&] {
        if (next < steps.size()) steps[next++]();
        if (next < steps.size()) QTimer::singleShot(0, run);
    };
    QTimer::singleShot(0, run);
    const int rc = window.isUnloaded() ? 0 : app.exec();
    settings::flush();
    if (window.bookPath() != path) return 5;  // the session did not go as scripted
    return rc;
}

}  // namespace

int main(int argc, char** argv) {
    // A child that outlives its test by far has hung: end it so the test fails, not waits.
    alarm(60);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "burst" && argc == 5)
        return burst(std::atoll(argv[2]), std::atoll(argv[3]), std::atol(argv[4]));
    if (mode == "instance" && argc == 7)
        return instance(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                        std::atoi(argv[6]));
    if (mode == "place" && argc == 4) return place(argv[2], std::atoi(argv[3]));
    if (mode == "session" && argc == 3) return session(argv[2]);
    std::fprintf(stderr, "usage: see the comment at the top of ReliabilityChild.cpp\n");
    return 2;
}
