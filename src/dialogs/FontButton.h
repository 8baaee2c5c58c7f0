// The line's font in the settings dialog: the button opens the desktop's font box, stores the
// choice and applies it to the window at once; its tool tip names the stored font.
#pragma once

#include <QPushButton>

namespace tresslin {

class DialogHost;
class Prompts;

class FontButton : public QPushButton {
    Q_OBJECT
  public:
    FontButton(QWidget* parent, DialogHost& host, Prompts& prompts);

  private:
    void cmdFont_Click();
    void showFontName();

    DialogHost& host_;
    Prompts& prompts_;
};

}  // namespace tresslin
