// The settings dialog's controls for keeping the strip out of sight: taskbar, tray, frame,
// background opacity, text hidden while the mouse is away, and the line's font. Each choice is
// stored and applied to the window at once.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace tresslin {

class DialogHost;
class Prompts;

class OutOfSightBox : public QWidget {
    Q_OBJECT
  public:
    // Height in twips of the block, below whatever stands above it in the dialog.
    static constexpr int kHeightTwips = 4 * 375;
    OutOfSightBox(QWidget* parent, DialogHost& host, Prompts& prompts);

  private:
    void storeFlag(QCheckBox* box);
    void cmdFont_Click();
    void showFontName();

    DialogHost& host_;
    Prompts& prompts_;
    QCheckBox* chkHideFromTaskbar;
    QCheckBox* chkTrayIcon;
    QCheckBox* chkFrameless;
    QPushButton* cmdFont;
    QLabel* lblBackgroundOpacity;
    QSpinBox* spnBackgroundOpacity;
    QLabel* lblHideTextAway;
    QSpinBox* spnHideTextAway;
};

}  // namespace tresslin
