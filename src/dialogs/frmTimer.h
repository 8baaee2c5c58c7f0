// The timer dialog: picks the auto-show interval and starts auto-show in the main window.
#pragma once

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QSpinBox;

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
    // The pace in words a minute instead of the fixed interval, and its value.
    void setUpPaceRow();
    void fitLabel();
    void storePace();

    DialogHost& host_;
    QPushButton* cmdRun;
    QLineEdit* txtTime;
    QScrollBar* vscInterval;
    QLabel* Label1;
    QLabel* Label2;
    QCheckBox* chkWordsAMinute;
    QSpinBox* spnWordsAMinute;
};

}  // namespace tresslin
