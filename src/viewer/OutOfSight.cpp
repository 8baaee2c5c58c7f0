#include "viewer/OutOfSight.h"

#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QWindow>

#include "dialogs/FixedDialog.h"
#include "platform/DesktopPresence.h"
#include "platform/FileNames.h"
#include "settings/RecentBooks.h"
#include "settings/Settings.h"
#include "viewer/frmMain.h"

namespace tresslin {

namespace {
// How near the left or right end a press grabs the edge rather than the strip.
constexpr int kEdgeGrip = 6;
// The window's title bar: minimise and close, never maximise.
constexpr Qt::WindowFlags kFrameHints = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                        Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                        Qt::WindowCloseButtonHint;
}  // namespace

OutOfSight::OutOfSight(frmMain& window)
    : window_(window), view_(window.txtView), buttons_{window.imgBack, window.imgNext} {
    hideAway_.setSingleShot(true);
    connect(&hideAway_, &QTimer::timeout, this, &OutOfSight::hideAwayTimeout);
    window_.installEventFilter(this);
    view_->installEventFilter(this);
    for (QWidget* b : buttons_) b->installEventFilter(this);
}

OutOfSight::~OutOfSight() = default;

void OutOfSight::apply() {
    const PresenceLimits limits = presenceLimits();
    QFont font(ReadSetting(settings::FontName), settings::readNumber(settings::FontSize));
    if (font.family().trimmed().isEmpty())
        font.setFamily(QString::fromLatin1(settings::FontName.defaultText));
    font.setStyleHint(QFont::SansSerif);
    font.setStyleStrategy(QFont::PreferNoShaping);
    window_.setLineFont(font);

    const bool skip = settings::readFlag(settings::HideFromTaskbar) && limits.skipTaskbar.isEmpty();
    if (skip != skipTaskbar_) {
        skipTaskbar_ = skip;
        setSkipTaskbar(&window_, skip);
    }
    // An alpha channel is chosen when the native window is made, so wherever a compositor
    // runs at start-up the window gets one and paints its own background, opaque or not.
    if (!window_.testAttribute(Qt::WA_WState_Created) && limits.translucentBackground.isEmpty())
        window_.setAttribute(Qt::WA_TranslucentBackground);
    const int opacity = settings::readNumber(settings::BackgroundOpacity);
    alpha_ = window_.testAttribute(Qt::WA_TranslucentBackground) &&
                     limits.translucentBackground.isEmpty()
                 ? opacity / 100.0
                 : 1.0;
    applyFrame(settings::readFlag(settings::Frameless));
    applyTray(settings::readFlag(settings::TrayIcon));
    if (settings::readNumber(settings::HideTextAway) == 0) showText();
    window_.ApplyColors();
    window_.update();
    updateToolTips();
}

void OutOfSight::applyFrame(bool frameless) {
    const Qt::WindowFlags flags = window_.windowFlags();
    // Qt drops the frameless hint while any title-bar button is asked for.
    const Qt::WindowFlags wanted = frameless ? (flags & ~kFrameHints) | Qt::FramelessWindowHint
                                             : (flags & ~Qt::FramelessWindowHint) | kFrameHints;
    frameless_ = frameless;
    if (wanted == flags) return;
    const bool created = window_.testAttribute(Qt::WA_WState_Created);
    const bool visible = window_.isVisible();
    const QRect outer = window_.frameGeometry();
    if (created && !(flags & Qt::FramelessWindowHint))
        frameExtra_ = outer.width() - window_.width();
    // The native window stays; it is hidden, and shown again in the same outer place and width.
    window_.setWindowFlags(wanted);
    if (!created) return;
    window_.resize(frameless ? outer.width() : outer.width() - frameExtra_, window_.height());
    window_.move(outer.topLeft());
    if (!visible) return;
    window_.show();
    confirmPlace(&window_);
}

void OutOfSight::applyTray(bool on) {
    if (!on) {
        tray_.reset();
        trayMenu_.reset();
        delete trayWatch_;
        trayWatch_ = nullptr;
        return;
    }
    if (tray_) return;
    tray_ = std::make_unique<QSystemTrayIcon>(
        QIcon(QStringLiteral(":/icons/hicolor/32x32/apps/tresslin.png")));
    trayMenu_ = std::make_unique<QMenu>();
    trayMenu_->setObjectName(QStringLiteral("mnuTray"));
    connect(trayMenu_.get(), &QMenu::aboutToShow, this, &OutOfSight::fillTrayMenu);
    fillTrayMenu();
    tray_->setContextMenu(trayMenu_.get());
    connect(tray_.get(), &QSystemTrayIcon::activated, this, [this](auto reason) {
        if (reason == QSystemTrayIcon::Trigger) toggleFromTray();
    });
    trayWatch_ = new TrayWatch(this);
    // A panel that restarts takes the tray with it: a strip hidden there must not be lost.
    connect(trayWatch_, &TrayWatch::trayGone, this, [this] {
        if (!window_.isVisible()) window_.bringBack();
    });
    tray_->setToolTip(window_.windowTitle());
    tray_->show();
}

void OutOfSight::fillTrayMenu() {
    QMenu& menu = *trayMenu_;
    menu.clear();
    const bool shown = window_.isVisible() && !window_.isMinimized();
    menu.addAction(shown ? tr("Hide") : tr("Show"), this, &OutOfSight::toggleFromTray);
    QMenu* recent = menu.addMenu(tr("Recent Books"));
    const QList<RecentBook> books = readRecentBooks();
    recent->setEnabled(!books.isEmpty());
    for (const RecentBook& book : books) {
        const QString name = shownName(book.location);
        recent->addAction(name + tr("  (line %1)").arg(book.line), this, [this, book] {
            window_.bringBack();
            window_.openRecentBook(book);
        });
    }
    const bool open = window_.IsBookOpen();
    if (window_.tmrAutoShow.isActive()) {
        menu.addAction(tr("Stop Auto-Show"), this, [this] { window_.TimerOff(); });
    } else {
        menu.addAction(tr("Start Auto-Show..."), this,
                       [this] {
                           window_.bringBack();
                           window_.Form_KeyDown(Qt::Key_T, 2);
                       })
            ->setEnabled(open);
    }
    menu.addAction(tr("Settings..."), this,
                   [this] {
                       window_.bringBack();
                       window_.Form_KeyDown(Qt::Key_S, 2);
                   })
        ->setEnabled(open);
    menu.addSeparator();
    menu.addAction(tr("Quit"), &window_, &frmMain::unload);
}

bool OutOfSight::hidesOnMinus() const {
    // A Wayland program cannot take its own window out of the minimised state (and some
    // compositors never minimise): hidden, it comes back as a new window whenever asked.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return true;
    return skipTaskbar_ ||
           (tray_ && tray_->isVisible() && QSystemTrayIcon::isSystemTrayAvailable());
}

void OutOfSight::toggleFromTray() {
    if (window_.isVisible() && !window_.isMinimized()) {
        window_.readingPlace().saveNow();
        window_.hide();
    } else {
        window_.bringBack();
    }
}

void OutOfSight::updateToolTips() {
    const QString caption = window_.windowTitle();
    // The time left is worked out only where a tip is held ready; the framed strip asks for it
    // when the mouse rests.
    const QString left = frameless_ || tray_ ? window_.timeLeftText() : QString();
    const QString withLeft = left.isEmpty() ? caption : caption + u'\n' + left;
    // Without a title bar the caption is read where the mouse rests.
    const QString tip = frameless_ ? withLeft : QString();
    if (view_->toolTip() != tip) view_->setToolTip(tip);
    if (tray_) tray_->setToolTip(withLeft);
}

void OutOfSight::startHideAway() {
    const int seconds = settings::readNumber(settings::HideTextAway);
    if (seconds <= 0 || textHidden_ || window_.isActiveWindow() || window_.underMouse()) return;
    hideAway_.start(seconds * 1000);
}

void OutOfSight::hideAwayTimeout() {
    if (window_.isActiveWindow() || window_.underMouse()) return;
    textHidden_ = true;
    window_.update();
}

void OutOfSight::showText() {
    hideAway_.stop();
    if (!textHidden_) return;
    textHidden_ = false;
    window_.update();
}

void OutOfSight::paintBackground() {
    QPainter painter(&window_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    QColor back = window_.palette().color(QPalette::Window);
    back.setAlphaF(alpha_);
    QRegion rest(window_.rect());
    if (textHidden_) painter.fillRect(view_->geometry(), view_->palette().color(QPalette::Base));
    // The view paints its own background, already see-through.
    rest -= view_->geometry();
    painter.setClipRegion(rest);
    painter.fillRect(window_.rect(), back);
}

bool OutOfSight::mouseOnStrip(QEvent* event) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint global = mouse->globalPosition().toPoint();
    if (event->type() == QEvent::MouseMove) {
        if (dragging_) window_.move(dragOrigin_ + global - dragPress_);
        return dragging_;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        const bool was = dragging_;
        dragging_ = false;
        return was;
    }
    if (mouse->button() != Qt::LeftButton) return false;
    const int x = window_.mapFromGlobal(global).x();
    const Qt::Edges edge = x < kEdgeGrip                      ? Qt::LeftEdge
                           : x >= window_.width() - kEdgeGrip ? Qt::RightEdge
                                                              : Qt::Edges();
    // The window manager moves and sizes the window best (snapping, Wayland); where it cannot,
    // the strip follows the mouse itself.
    QWindow* handle = window_.windowHandle();
    const bool taken =
        handle && (edge ? handle->startSystemResize(edge) : handle->startSystemMove());
    if (!taken && !edge) {
        dragging_ = true;
        dragPress_ = global;
        dragOrigin_ = window_.pos();
    }
    return true;
}

bool OutOfSight::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Paint:
            if (watched == &window_) {
                if (skipAgain_) {
                    // The first paint after a show comes once the window manager manages the
                    // window again: a state it dropped while still letting the old one go is
                    // asked for once more (asking for a state it holds changes nothing).
                    skipAgain_ = false;
                    setSkipTaskbar(&window_, true);
                }
                if (textHidden_ || window_.testAttribute(Qt::WA_TranslucentBackground))
                    paintBackground();
                return false;
            }
            return textHidden_;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            return frameless_ && (watched == &window_ || watched == view_) && mouseOnStrip(event);
        default:
            break;
    }
    if (watched != &window_) return false;
    switch (event->type()) {
        case QEvent::Show:
            // Before the window is mapped: a window manager forgets the state of a window it
            // stopped managing.
            if (skipTaskbar_) setSkipTaskbar(&window_, true);
            skipAgain_ = skipTaskbar_;
            break;
        case QEvent::Hide:
            if (trayWatch_) trayWatch_->watch();
            break;
        case QEvent::WindowStateChange:
            // The strip is one line high: a window manager that offers to maximise it anyway
            // (openbox, for any window it may widen) is refused.
            if (window_.isMaximized())
                window_.setWindowState(window_.windowState() & ~Qt::WindowMaximized);
            break;
        case QEvent::WindowTitleChange:
            updateToolTips();
            break;
        case QEvent::Enter:
        case QEvent::WindowActivate:
            showText();
            break;
        case QEvent::Leave:
        case QEvent::WindowDeactivate:
            startHideAway();
            break;
        default:
            break;
    }
    return false;
}

}  // namespace tresslin
