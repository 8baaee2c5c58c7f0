// What the speech module (tresslin-speech.so, over Qt TextToSpeech) gives the program. The module
// is loaded at the first Ctrl+P, so start-up never pays for the speech library. Plain virtual
// calls and callbacks: the module and the program share no meta-objects.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace tresslin {

class SpeechEngine {
  public:
    virtual ~SpeechEngine() = default;
    // As Speech's functions of the same names.
    virtual bool available() = 0;
    virtual bool contacted() const = 0;
    virtual QStringList voices() = 0;
    virtual void setVoice(const QString& name) = 0;
    virtual void setRate(int rate) = 0;
    virtual void say(const QString& text) = 0;
    virtual void stop() = 0;

    std::function<void()> said;
    std::function<void(const QString&)> failed;
};

}  // namespace tresslin

// The module's one entry: a new engine, owned by the caller.
extern "C" tresslin::SpeechEngine* tresslinSpeechEngine();
#define TRESSLIN_SPEECH_ENTRY "tresslinSpeechEngine"
