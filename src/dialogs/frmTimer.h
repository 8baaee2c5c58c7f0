// The timer dialog: picks the auto-show interval and starts auto-show in the main window.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace tresslin {

class DialogHost;

class frmTimer : public QDialog {
    Q_OBJECT
  public:
    frmTimer(QWidget* parent, DialogHost& host);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void LoadInterval();
    void vscInterval_Change();
    void cmdRun_Click();

    DialogHost& host_;
    QPushButton* cmdRun;
    QLineEdit* txtTime;
    QScrollBar* vscInterval;
    QLabel* Label1;
    QLabel* Label2;
};

}  // namespace tresslin
