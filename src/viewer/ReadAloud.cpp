#include "viewer/ReadAloud.h"

#include "settings/Settings.h"

namespace tresslin {

ReadAloud::ReadAloud(Walk walk, SpeechMaker makeSpeech, QObject* parent)
    : QObject(parent), walk_(std::move(walk)), makeSpeech_(std::move(makeSpeech)) {
    pause_.setSingleShot(true);
    pause_.setInterval(kPauseMs);
    pause_.setObjectName(QStringLiteral("readAloudPause"));
    connect(&pause_, &QTimer::timeout, this, &ReadAloud::partDone);
}

ReadAloud::~ReadAloud() {
    if (on_ && speech_) speech_->stop();
}

Speech& ReadAloud::voice() {
    if (!speech_) {
        speech_ = makeSpeech_();
        // Queued: a voice that is done at once must not walk the whole book inside say().
        connect(speech_.get(), &Speech::said, this, &ReadAloud::partDone, Qt::QueuedConnection);
        connect(speech_.get(), &Speech::ready, this, &ReadAloud::voiceReady);
        connect(speech_.get(), &Speech::failed, this, [this](const QString& why) {
            if (!on_) return;
            stop();
            walk_.problem(why);
        });
    }
    return *speech_;
}

void ReadAloud::start() {
    if (on_) return;
    if (voice().contacted()) return begin();
    // A voice that answers at once begins (or tells there is none) before prepare() returns;
    // else reading is on meanwhile, so that any key stops it as it would stop the voice.
    waiting_ = true;
    speech_->prepare();
    if (!waiting_) return;
    on_ = true;
    walk_.changed(true);
}

void ReadAloud::voiceReady() {
    if (!waiting_) return;
    waiting_ = false;
    begin();
}

void ReadAloud::begin() {
    if (!speech_->available()) {
        if (on_) {
            on_ = false;
            walk_.changed(false);
        }
        return walk_.noService();
    }
    // Read afresh each time, as the colours and the coding are.
    speech_->setVoice(ReadSetting(settings::SpeechVoice));
    speech_->setRate(settings::readNumber(settings::SpeechRate));
    if (!on_) {
        on_ = true;
        walk_.changed(true);
    }
    sayPart();
}

void ReadAloud::stop() {
    if (!on_) return;
    on_ = waiting_ = false;
    pause_.stop();
    speech_->stop();
    walk_.changed(false);
}

void ReadAloud::keyPressed(bool modifierAlone) {
    chordStopped_ = on_ && modifierAlone;
    stop();
}

void ReadAloud::toggle() {
    const bool chordStopped = chordStopped_;
    chordStopped_ = false;
    if (on_ || chordStopped) return stop();
    start();
}

void ReadAloud::sayPart() {
    const QString text = walk_.text();
    if (text.isEmpty())
        pause_.start();
    else
        speech_->say(text);
}

void ReadAloud::partDone() {
    pause_.stop();
    if (!on_) return;
    if (!walk_.showNext()) {
        stop();
        return;
    }
    // Showing the part may have stopped reading (a failure told to the user).
    if (on_) sayPart();
}

}  // namespace tresslin
