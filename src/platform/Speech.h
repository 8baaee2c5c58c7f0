// The desktop's voice, behind a seam: the program passes the one over the speech service, tests
// a fake that has said everything at once.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace tresslin {

class Speech : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    // Whether a speech service answers; the first call contacts it and may wait seconds.
    virtual bool available() = 0;
    // Whether available() has been answered, so asking again costs nothing.
    virtual bool contacted() const { return true; }
    // Contacts the service without making the caller wait; ready() follows (perhaps before this
    // returns) once contacted() holds.
    virtual void prepare() {
        available();
        emit ready();
    }
    // The names of the voices for Russian, else of the engine's own language.
    virtual QStringList voices() = 0;
    // The voice by name (empty or unknown: the first for Russian, else the engine's default)
    // and the rate from -10 (slowest) to 10; both apply from the next say().
    virtual void setVoice(const QString& name) = 0;
    virtual void setRate(int rate) = 0;
    // Says the text; said() follows once it has been said. stop() cuts it short, without said().
    virtual void say(const QString& text) = 0;
    virtual void stop() = 0;

  signals:
    void ready();
    void said();
    // The service gave up while saying something.
    void failed(const QString& why);
};

class SpeechEngine;

// The voice of the desktop's speech service (speech-dispatcher through Qt TextToSpeech).
std::unique_ptr<Speech> makeDesktopSpeech();

// A voice whose engine is made, asked and spoken to on a thread of its own, so that contacting
// the service never holds up the window. The maker runs on that thread; null, with the problem
// said, when there is no engine.
using SpeechEngineMaker = std::function<std::unique_ptr<SpeechEngine>(QString& problem)>;
std::unique_ptr<Speech> makeThreadedSpeech(SpeechEngineMaker makeEngine);

// What to tell a user whose desktop has no speech service.
QString noSpeechMessage();

}  // namespace tresslin
