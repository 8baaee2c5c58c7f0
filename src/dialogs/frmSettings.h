// The settings dialog: the book's coding and whether it is detected, wrapping long lines, the two
// colours of the line view, stay on top and opacity. Every choice is stored and shown at once;
// there is nothing to confirm.
#pragma once

#include <QDialog>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace tresslin {

class DialogHost;
class OutOfSightBox;
class Prompts;

class frmSettings : public QDialog {
    Q_OBJECT
  public:
    frmSettings(QWidget* parent, DialogHost& host, Prompts& prompts);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Form_Load();
    void StoreColors();
    void cmbCoding_Click();
    void cmdText_Click();
    void cmdBackColor_Click();
    void cmdDefault_Click();
    void chooseColor(std::int32_t& colour);
    void chkDetect_Click();
    void chkWrap_Click();
    void setUpWindowRow(int top);
    void chkStayOnTop_Click();
    void spnOpacity_Change();

    DialogHost& host_;
    Prompts& prompts_;
    std::int32_t CurTextColor = 0;
    std::int32_t CurBackColor = 0;

    QLabel* Label1;
    QComboBox* cmbCoding;
    QGroupBox* fraColors;
    QPushButton* cmdBackColor;
    QPushButton* cmdText;
    QPushButton* cmdDefault;
    QCheckBox* chkDetect;
    QCheckBox* chkWrap;
    QCheckBox* chkYo;
    QCheckBox* chkStayOnTop;
    QLabel* lblOpacity;
    QSpinBox* spnOpacity;
    OutOfSightBox* fraOutOfSight;
};

}  // namespace tresslin
