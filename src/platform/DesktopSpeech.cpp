#include <QCoreApplication>
#include <QLocale>
#include <QTextToSpeech>
#include <QTimer>
#include <QVoice>
#include <algorithm>
#include <memory>

#include "platform/SpeechEngine.h"

namespace tresslin {

namespace {

const QString kEngine = QStringLiteral("speechd");

// A service without a working sound output takes a text and never begins it; the user hears
// nothing and is told why rather than left waiting. The first text may wait for the voice to load.
constexpr int kBeginMs = 20000;

class DesktopSpeech final : public SpeechEngine {
  public:
    DesktopSpeech() {
        begin_.setSingleShot(true);
        begin_.setInterval(kBeginMs);
        QObject::connect(&begin_, &QTimer::timeout, [this] {
            waiting_ = false;
            failed(QCoreApplication::translate(
                       "tresslin::Speech",
                       "the speech service has not begun to speak in %1 seconds; "
                       "is its sound output working?")
                       .arg(kBeginMs / 1000));
        });
    }

    bool available() override {
        asked_ = true;
        if (!tts_ && QTextToSpeech::availableEngines().contains(kEngine)) {
            tts_ = std::make_unique<QTextToSpeech>(kEngine);
            QObject::connect(tts_.get(), &QTextToSpeech::stateChanged,
                             [this](QTextToSpeech::State state) { stateChanged(state); });
            // A book is Russian: its voices come first, when the service has any.
            const QLocale russian(QLocale::Russian, QLocale::Russia);
            for (const QLocale& l : tts_->availableLocales()) {
                if (l.language() == QLocale::Russian) {
                    tts_->setLocale(l.territory() == QLocale::Russia ? russian : l);
                    break;
                }
            }
            defaultVoice_ = tts_->voice();
        }
        return tts_ && tts_->state() != QTextToSpeech::Error;
    }

    bool contacted() const override { return asked_; }

    QStringList voices() override {
        QStringList names;
        if (!available()) return names;
        for (const QVoice& v : tts_->availableVoices()) names << v.name();
        return names;
    }

    void setVoice(const QString& name) override {
        if (!available()) return;
        for (const QVoice& v : tts_->availableVoices()) {
            if (v.name() == name) {
                if (tts_->voice() != v) tts_->setVoice(v);
                return;
            }
        }
        if (tts_->voice() != defaultVoice_) tts_->setVoice(defaultVoice_);
    }

    void setRate(int rate) override {
        if (available()) tts_->setRate(std::clamp(rate, -10, 10) / 10.0);
    }

    void say(const QString& text) override {
        if (!available()) {
            failed(tts_ ? tts_->errorString() : QString());
            return;
        }
        // The service tells of a text's end by going back to Ready; one that is still going
        // back from an earlier stop must not count as this text's end.
        waiting_ = true;
        begun_ = false;
        begin_.start();
        tts_->say(text);
    }

    void stop() override {
        waiting_ = false;
        begin_.stop();
        if (tts_) tts_->stop(QTextToSpeech::BoundaryHint::Immediate);
    }

  private:
    void stateChanged(QTextToSpeech::State state) {
        if (!waiting_) return;
        if (state == QTextToSpeech::Speaking) {
            begun_ = true;
            begin_.stop();
        } else if (state == QTextToSpeech::Ready && begun_) {
            waiting_ = false;
            said();
        } else if (state == QTextToSpeech::Error) {
            waiting_ = false;
            begin_.stop();
            failed(tts_->errorString());
        }
    }

    QTimer begin_;
    bool asked_ = false;
    QVoice defaultVoice_;
    bool waiting_ = false;
    bool begun_ = false;
    // Last, so it goes first: a state it reports while ending still finds the rest.
    std::unique_ptr<QTextToSpeech> tts_;
};

}  // namespace

}  // namespace tresslin

tresslin::SpeechEngine* tresslinSpeechEngine() {
    return new tresslin::DesktopSpeech();
}
