// The one-line layout, the height lock and the remembered window position.
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <vector>

#include "dialogs/FixedDialog.h"
#include "platform/Twips.h"
#include "platform/WindowOptions.h"
#include "settings/Settings.h"
#include "viewer/OutOfSight.h"
#include "viewer/WindowRules.h"
#include "viewer/frmMain.h"

namespace tresslin {

namespace {
// The smallest stored width that still leaves the view a positive width.
constexpr double kMinStoredWidth = 450;

DeskRect deskRect(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

// Each screen's whole area, or the part free of panels and docks.
std::vector<DeskRect> screenRects(bool available) {
    std::vector<DeskRect> rects;
    for (const QScreen* s : QGuiApplication::screens())
        rects.push_back(deskRect(available ? s->availableGeometry() : s->geometry()));
    return rects;
}
}  // namespace

void frmMain::RestorePosition() {
    QRect frame = frameGeometry();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect desktop = screen ? screen->virtualGeometry() : QRect();
    // Moving the window at all tells the window manager the program chose its place; without a
    // usable stored place that choice is left to the manager.
    bool placed = false;
    if (const auto top = settings::readTwips(settings::Top);
        top && *top < pixelsToTwips(desktop.y() + desktop.height())) {
        frame.moveTop(twipsToPixels(*top));
        placed = true;
    }
    if (const auto left = settings::readTwips(settings::Left);
        left && *left < pixelsToTwips(desktop.x() + desktop.width())) {
        frame.moveLeft(twipsToPixels(*left));
        placed = true;
    }
    if (const auto width = settings::readTwips(settings::Width);
        width && *width > kMinStoredWidth && *width < pixelsToTwips(QWIDGETSIZE_MAX))
        frame.setWidth(twipsToPixels(*width));

    // A place wholly outside every screen (a monitor since unplugged) would hide the window.
    if (placed && onSomeScreen(deskRect(frame), screenRects(false))) move(frame.topLeft());
    const int extra = frameGeometry().width() - width();
    if (frame.width() != frameGeometry().width()) {
        // Until the window manager has framed the window its frame is unknown; the width is
        // corrected once it is, so the window does not grow by its frame at every start.
        pendingOuterWidth_ = frame.width();
        restoredClientWidth_ = frame.width() - extra;
        resize(restoredClientWidth_, height());
    }
}

void frmMain::watchScreen(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, &frmMain::keepOnScreenSoon);
    connect(screen, &QScreen::availableGeometryChanged, this, &frmMain::keepOnScreenSoon);
}

void frmMain::keepOnScreenSoon() {
    // While a screen goes away the list of screens and the window's own screen are still being
    // changed; they are settled at the next turn of the event loop.
    QTimer::singleShot(0, this, &frmMain::keepOnScreen);
}

void frmMain::keepOnScreen() {
    // A minimised window is moved too, so it comes back on a screen.
    if (const auto place =
            bringBackOnScreen(deskRect(frameGeometry()), screenRects(false), screenRects(true)))
        move(place->x, place->y);
}

void frmMain::applyWindowOptions() {
    outOfSight_->apply();
    const WindowOptionLimits limits = windowOptionLimits(QGuiApplication::platformName());
    if (limits.stayOnTop.isEmpty()) setStayOnTop(this, settings::readFlag(settings::StayOnTop));
    if (limits.opacity.isEmpty()) setWindowOpacity(settings::readNumber(settings::Opacity) / 100.0);
}

void frmMain::setLineFont(const QFont& font) {
    if (font == this->font()) return;
    setFont(font);
    // The designed strip keeps its margins around one line of Arial 9; any font keeps them.
    QFont design = programFont();
    design.setStyleStrategy(QFont::PreferNoShaping);
    const int grow = QFontMetrics(font).height() - QFontMetrics(design).height();
    const int viewHeight = twipsToPixels(375) + grow;
    LoadHeight = twipsToPixels(480) + grow;
    txtView->setGeometry(txtView->x(), txtView->y(), txtView->width(), viewHeight);
    // The two buttons stay together, centred beside the line.
    const int shift = grow / 2;
    imgBack->move(imgBack->x(), twipsToPixels(75) + shift);
    imgNext->move(imgNext->x(), twipsToPixels(255) + shift);
    setFixedHeight(LoadHeight);
    Form_Resize();
}

void frmMain::applyPendingWidth() {
    if (pendingOuterWidth_ <= 0 || !isVisible() || isMinimized()) return;
    if (width() != restoredClientWidth_) {
        pendingOuterWidth_ = 0;  // the user has resized meanwhile
        return;
    }
    const int extra = frameGeometry().width() - width();
    if (extra <= 0) return;
    const int wanted = pendingOuterWidth_ - extra;
    pendingOuterWidth_ = 0;
    if (wanted != width()) resize(wanted, height());
}

void frmMain::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // Framing by the window manager moves the window; its frame is known from then on.
    applyPendingWidth();
    if (isVisible() && !isMinimized()) readingPlace_.windowMoved();
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmMain::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Coming back from minimised lays out and saves like any resize.
    if (event->type() == QEvent::WindowStateChange && !isMinimized()) Form_Resize();
}

void frmMain::Form_Resize() {
    if (isMinimized() || layingOut_) return;
    layingOut_ = true;
    applyPendingWidth();
    const int outerTwips = pixelsToTwips(frameGeometry().width());
    const int buttonWidth = 250;
    const int viewWidth = std::max(outerTwips - 200 - buttonWidth, kTwipsPerPixel);
    txtView->setGeometry(twipsToPixels(20), txtView->y(), twipsToPixels(viewWidth),
                         txtView->height());
    const int buttonLeft = twipsToPixels(viewWidth + 60);
    imgNext->setGeometry(buttonLeft, imgNext->y(), twipsToPixels(buttonWidth), twipsToPixels(150));
    imgBack->setGeometry(buttonLeft, imgBack->y(), twipsToPixels(buttonWidth), twipsToPixels(150));
    if (height() != LoadHeight) resize(width(), LoadHeight);
    rewrapView();
    layingOut_ = false;
    // Kept as a move is, once it has settled: a drag resizes many times a second.
    readingPlace_.windowMoved();
}

void frmMain::SavePosition() {
    const QRect frame = frameGeometry();
    // Where the window cannot know its place, the one an X11 session stored stays.
    if (windowOptionLimits(QGuiApplication::platformName()).position.isEmpty()) {
        settings::writeNumber(settings::Top, pixelsToTwips(frame.y()));
        settings::writeNumber(settings::Left, pixelsToTwips(frame.x()));
    }
    // While the frame is unknown the restored width stands for the outer width.
    const int outer = pendingOuterWidth_ > 0 ? pendingOuterWidth_ : frame.width();
    settings::writeNumber(settings::Width, pixelsToTwips(outer));
}

void frmMain::Form_QueryUnload() {
    if (!isMinimized()) SavePosition();
}

}  // namespace tresslin
