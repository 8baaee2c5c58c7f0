// The desktop's voice through the speech module, loaded when the voice is first asked for.
#include <QCoreApplication>
#include <QLibrary>
#include <memory>

#include "platform/Speech.h"
#include "platform/SpeechEngine.h"

namespace tresslin {

namespace {

class ModuleSpeech final : public Speech {
  public:
    bool available() override { return engine() && engine_->available(); }
    bool contacted() const override { return tried_ && (!engine_ || engine_->contacted()); }
    QStringList voices() override { return engine() ? engine_->voices() : QStringList(); }
    void setVoice(const QString& name) override {
        if (engine()) engine_->setVoice(name);
    }
    void setRate(int rate) override {
        if (engine()) engine_->setRate(rate);
    }
    void say(const QString& text) override {
        if (engine())
            engine_->say(text);
        else
            emit failed(problem_);
    }
    void stop() override {
        if (engine_) engine_->stop();
    }

  private:
    SpeechEngine* engine() {
        if (tried_) return engine_.get();
        tried_ = true;
        // Installed beside the program's libraries; in a build, beside the program itself.
        const QString dir = QCoreApplication::applicationDirPath();
        QStringList places = {dir + QStringLiteral("/" TRESSLIN_SPEECH_MODULE_DIR "/"
                                                   "tresslin-speech.so"),
                              dir + QStringLiteral("/tresslin-speech.so")};
        if (const QString own = qEnvironmentVariable("TRESSLIN_SPEECH_MODULE"); !own.isEmpty())
            places.prepend(own);
        for (const QString& place : places) {
            QLibrary module(place);
            // The module stays loaded for the rest of the run: the engine's code lives there.
            if (auto make =
                    reinterpret_cast<SpeechEngine* (*)()>(module.resolve(TRESSLIN_SPEECH_ENTRY))) {
                engine_.reset(make());
                engine_->said = [this] { emit said(); };
                engine_->failed = [this](const QString& why) { emit failed(why); };
                return engine_.get();
            }
            problem_ = module.errorString();
        }
        return nullptr;
    }

    bool tried_ = false;
    std::unique_ptr<SpeechEngine> engine_;
    QString problem_;
};

}  // namespace

std::unique_ptr<Speech> makeDesktopSpeech() {
    return std::make_unique<ModuleSpeech>();
}

QString noSpeechMessage() {
    return QCoreApplication::translate(
        "tresslin::Speech",
        "No speech service answers, so the book cannot be read aloud.\n\n"
        "Install speech-dispatcher and a voice for Russian, for example:\n"
        "sudo apt install speech-dispatcher speech-dispatcher-espeak-ng "
        "qt6-speech-speechd-plugin");
}

}  // namespace tresslin
