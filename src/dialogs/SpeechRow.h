// The settings dialog's row for reading aloud: the voice and its rate. The speech service is
// asked for its voices only when the list is opened, so opening the dialog for a colour never
// starts it, and the list opens when they come, so the dialog never waits for them.
#pragma once

#include <QComboBox>

#include "dialogs/SettingsPage.h"

class QLabel;
class QSlider;

namespace tresslin {

class Speech;

class VoiceList : public QComboBox {
    Q_OBJECT
  public:
    using QComboBox::QComboBox;
    void showPopup() override;
    // Until the service has answered there is nothing to show.
    bool waiting = false;

  signals:
    void aboutToShow();
};

class SpeechRow : public SettingsPage {
    Q_OBJECT
  public:
    // speech: the window's voice; the service is contacted only through the list.
    SpeechRow(QWidget* parent, Speech& speech);

    // Fills the list with the service's voices, or disables the row when none answers.
    void fillVoices();

  private:
    void noService();

    Speech& speech_;
    bool filled_ = false;
    QLabel* lblVoice;
    VoiceList* cmbVoice;
    QLabel* lblRate;
    QSlider* sldRate;
};

}  // namespace tresslin
