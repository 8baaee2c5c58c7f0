// Keeping the strip out of sight of everyone but its reader: out of the taskbar, in the tray,
// without a frame, with a see-through background, with its text hidden while the mouse is away,
// in a font of the reader's choice. Each setting acts at once; the defaults change nothing.
#pragma once

#include <QObject>
#include <QPoint>
#include <QTimer>
#include <memory>

class QMenu;
class QMouseEvent;
class QSystemTrayIcon;
class QWidget;

namespace tresslin {

class frmMain;
class TrayWatch;

class OutOfSight : public QObject {
    Q_OBJECT
  public:
    explicit OutOfSight(frmMain& window);
    ~OutOfSight() override;

    // Applies every option as the settings now say.
    void apply();
    // Whether minus hides the strip away (no taskbar button or a tray to come back from)
    // rather than minimising it.
    bool hidesOnMinus() const;
    // The strip's background, from 0 (clear) to 1, for the view's colours too.
    double backgroundAlpha() const { return alpha_; }
    bool textHidden() const { return textHidden_; }

    // The hide-away timer and its handler; tests fire it directly.
    const QTimer& hideAwayTimer() const { return hideAway_; }
    void hideAwayTimeout();

    QSystemTrayIcon* trayIcon() const { return tray_.get(); }
    // What a click on the tray icon does: shows a hidden strip or hides a shown one.
    void toggleFromTray();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void applyFrame(bool frameless);
    void applyTray(bool on);
    void fillTrayMenu();
    void updateToolTips();
    void startHideAway();
    void showText();
    void paintBackground();
    bool mouseOnStrip(QEvent* event);

    frmMain& window_;
    QWidget* view_;
    QWidget* buttons_[2];
    bool skipTaskbar_ = false;
    bool skipAgain_ = false;  // shown, not yet painted: the skip states are asked for again
    bool frameless_ = false;
    double alpha_ = 1;
    bool textHidden_ = false;
    int frameExtra_ = 0;  // the frame's share of the outer width, while it had one
    QTimer hideAway_;
    std::unique_ptr<QMenu> trayMenu_;  // outlives the icon that shows it
    std::unique_ptr<QSystemTrayIcon> tray_;
    TrayWatch* trayWatch_ = nullptr;
    // A drag the window manager could not take over: the press and the window's place then.
    bool dragging_ = false;
    QPoint dragPress_, dragOrigin_;
};

}  // namespace tresslin
