// Reading aloud: the part on view is said, then the window shows the next one and it is said in
// turn, to the end of the book. The window lends the walk through small callbacks, so the
// reading place, the caption and the parts stay its own.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

#include "platform/Speech.h"

namespace tresslin {

class ReadAloud : public QObject {
    Q_OBJECT
  public:
    // How long an empty part is "said".
    static constexpr int kPauseMs = 400;

    struct Walk {
        std::function<QString()> text;      // what the part on view says
        std::function<bool()> showNext;     // the next part or line shown; false at the end
        std::function<void(bool)> changed;  // reading went on (true: auto-show must end) or off
        std::function<void(const QString&)> problem;  // the voice failed: tell the user
        std::function<void()> noService;              // no speech service answers: tell the user
    };
    using SpeechMaker = std::function<std::unique_ptr<Speech>()>;

    ReadAloud(Walk walk, SpeechMaker makeSpeech, QObject* parent = nullptr);
    ~ReadAloud() override;

    // On from the start, also while the voice is still being made ready.
    bool isOn() const { return on_; }
    // Starts with the part on view once the voice is ready (the first start contacts the
    // service, without waiting for it); when no service answers, reading ends and says so.
    void start();
    // Stops and says so; nothing when already off.
    void stop();
    // A key pressed in the window: any key stops reading as it stops auto-show. A modifier
    // pressed alone is the start of a chord, so the Ctrl+P that follows it does not start again
    // what its Ctrl has just stopped.
    void keyPressed(bool modifierAlone);
    // Ctrl+P.
    void toggle();

    // The voice, made at the first use; the service is contacted only by start() or by the
    // settings dialog's voice list.
    Speech& voice();
    const QTimer& pause() const { return pause_; }

  public slots:
    // The part on view has been said (or its pause is over): on to the next.
    void partDone();

  private:
    void voiceReady();
    void begin();
    void sayPart();

    Walk walk_;
    SpeechMaker makeSpeech_;
    std::unique_ptr<Speech> speech_;
    QTimer pause_;
    bool on_ = false;
    bool waiting_ = false;  // for the voice to be ready
    bool chordStopped_ = false;
};

}  // namespace tresslin
