// The strip under a real Wayland compositor: weston, headless, started by with_weston.sh with a
// red desktop; what is on its screen is read from weston's own screenshots.
#include <QCheckBox>
#include <QDir>
#include <QProcess>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "ViewerFixture.h"
#include "dialogs/frmSettings.h"
#include "platform/BringBack.h"
#include "platform/DesktopPresence.h"
#include "platform/WindowOptions.h"

using namespace tresslin;
using namespace tresslin::test;

namespace {

class Wayland : public ViewerTest {
  protected:
    void SetUp() override {
        if (qEnvironmentVariableIsSet("TRESSLIN_NO_WAYLAND") ||
            !qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
            GTEST_SKIP() << qPrintable(qEnvironmentVariable(
                "TRESSLIN_NO_WAYLAND", "needs the weston of its ctest command"));
        // Natively on Qt's Wayland plugin, not through XWayland.
        ASSERT_EQ(QGuiApplication::platformName(), "wayland");
        WriteSetting(settings::TextColor, "0");
        WriteSetting(settings::BackColor, "16711680");  // blue
        WriteSetting(settings::FontSize, "16");         // strokes wider than their smoothed edges
        window->Form_Load(
            locationOfText(books.write("b.txt", Cp1251("Жили-были дед да баба\r\n2\r\n"))));
    }
    void TearDown() override { window.reset(); }
    // The compositor's whole output, as weston-screenshooter saves it.
    QImage shot() const {
        QTemporaryDir dir;
        QProcess shooter;
        shooter.setWorkingDirectory(dir.path());
        shooter.start("weston-screenshooter", {});
        if (!shooter.waitForFinished(30000)) return {};
        const QStringList files = QDir(dir.path()).entryList({"*.png"});
        return files.isEmpty() ? QImage() : QImage(dir.filePath(files[0]));
    }
    // The strip's rows on the screen: those holding its blue background.
    static int blueRows(const QImage& image) {
        int rows = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == Qt::blue) {
                    ++rows;
                    break;
                }
        return rows;
    }
};

TEST_F(Wayland, OneLineHighMinusHidesItAndActivateBringsItBackOverTheBus) {
    BringBack back;
    QObject::connect(&back, &BringBack::requested, window.get(), &frmMain::bringBack);
    back.listenOnBus();
    window->show();
    const int line = QFontMetrics(window->view()->font()).height();
    EXPECT_GE(window->view()->height(), line);
    EXPECT_LT(window->view()->height(), 2 * line);
    // On the compositor's screen too: the view's background, inside its border, is one line.
    const auto oneLine = [&] {
        const int rows = blueRows(shot());
        return rows >= line && rows < 2 * line;
    };
    ASSERT_TRUE(waitFor(oneLine));
    window->Form_KeyDown(Qt::Key_Minus, 0);
    EXPECT_TRUE(waitFor([&] { return blueRows(shot()) == 0; }));
    QProcess activate;
    activate.start(PROGRAM_PATH, {"--activate"});
    // The command asks this process over the bus: its event loop must run meanwhile.
    ASSERT_TRUE(waitFor([&] { return activate.state() == QProcess::NotRunning; }));
    EXPECT_EQ(activate.exitCode(), 0) << activate.readAllStandardError().toStdString();
    EXPECT_TRUE(waitFor(oneLine));
}

TEST_F(Wayland, SeeThroughBackgroundShowsTheDesktopAndLeavesTheTextAsItWas) {
    // The window may be made anew, and placed anew, when its background becomes see-through:
    // the text is compared by its pixels' count, the background by its colour wherever it is.
    const auto count = [](const QImage& image, const std::function<bool(QColor)>& is) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) n += is(image.pixelColor(x, y));
        return n;
    };
    const auto black = [](QColor c) { return c == Qt::black; };
    // Nine tenths of the red desktop through a tenth of the blue.
    const auto through = [](QColor c) {
        return c.red() > 200 && c.red() < 250 && c.blue() > 10 && c.blue() < 60 && c.green() < 20;
    };
    window->show();
    QImage opaque, clear;
    // A frame caught while the surface is first mapped may blend with the desktop: the opaque
    // strip is the one the compositor settles on.
    ASSERT_TRUE(
        waitFor([&] { return blueRows(opaque = shot()) > 0 && count(opaque, through) == 0; }));
    const int text = count(opaque, black);
    EXPECT_GT(text, 30);
    WriteSetting(settings::BackgroundOpacity, "10");
    window->applyWindowOptions();
    EXPECT_TRUE(waitFor([&] {
        clear = shot();
        return blueRows(clear) == 0 && count(clear, black) == text;
    }));
    EXPECT_GT(count(clear, through), 1000);
}

TEST_F(Wayland, WhatTheCompositorCannotServeIsDisabledAndSaysWhy) {
    window->show();
    frmSettings dialog(window.get(), *window, prompts);
    const WindowOptionLimits limits = windowOptionLimits(QGuiApplication::platformName());
    const PresenceLimits presence = presenceLimits();
    ASSERT_FALSE(limits.stayOnTop.isEmpty() || presence.skipTaskbar.isEmpty());
    const struct {
        const char* control;
        QString why;
    } rows[] = {{"chkStayOnTop", limits.stayOnTop},
                {"spnOpacity", limits.opacity},
                {"chkHideFromTaskbar", presence.skipTaskbar},
                {"chkTrayIcon", presence.tray}};  // weston has no tray
    for (const auto& r : rows) {
        SCOPED_TRACE(r.control);
        auto* control = dialog.findChild<QWidget*>(r.control);
        ASSERT_TRUE(control);
        EXPECT_FALSE(r.why.isEmpty());
        EXPECT_FALSE(control->isEnabled());
        EXPECT_EQ(control->toolTip(), r.why);
    }
    // What the compositor does serve stays.
    EXPECT_TRUE(dialog.findChild<QWidget*>("chkFrameless")->isEnabled());
    EXPECT_TRUE(dialog.findChild<QWidget*>("spnBackgroundOpacity")->isEnabled());
}

}  // namespace
