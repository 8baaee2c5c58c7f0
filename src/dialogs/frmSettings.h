// The settings dialog, in pages: "Text" (the book's coding and whether it is detected, the two
// colours of the line view, its font, wrapping, find), "Window" (stay on top, opacity, out of
// sight) and "Reading aloud". Every choice is stored and shown at once; there is nothing to
// confirm.
#pragma once

#include <QDialog>
#include <cstdint>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTabWidget;

namespace tresslin {

class DialogHost;
class Prompts;
class SettingsPage;

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
    SettingsPage* textPage();
    SettingsPage* windowPage();
    // A page of its own, under its tab; a new page is one more call in the constructor.
    void addPage(const QString& title, QWidget* page);

    DialogHost& host_;
    Prompts& prompts_;
    std::int32_t CurTextColor = 0;
    std::int32_t CurBackColor = 0;

    QTabWidget* tabPages;
    QLabel* Label1;
    QComboBox* cmbCoding;
    QGroupBox* fraColors;
    QPushButton* cmdBackColor;
    QPushButton* cmdText;
    QPushButton* cmdDefault;
};

}  // namespace tresslin
