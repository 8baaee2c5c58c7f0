// The timer dialog: picks the auto-show interval and starts auto-show in the main window.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace tresslin {

class frmMain;

class frmTimer : public QDialog {
    Q_OBJECT
  public:
    explicit frmTimer(frmMain& main);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void LoadInterval();
    void vscInterval_Change();
    void cmdRun_Click();

    frmMain& main_;
    QPushButton* cmdRun;
    QLineEdit* txtTime;
    QScrollBar* vscInterval;
    QLabel* Label1;
    QLabel* Label2;
};

}  // namespace tresslin
