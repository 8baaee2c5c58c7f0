// The desktop's voice through the speech module, loaded when the voice is first asked for, on a
// thread of its own: the service lists every voice it has before it answers, which takes seconds.
#include <QCoreApplication>
#include <QLibrary>
#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/Speech.h"
#include "platform/SpeechEngine.h"

namespace tresslin {

namespace {

class ThreadedSpeech final : public Speech {
  public:
    explicit ThreadedSpeech(SpeechEngineMaker make) : make_(std::move(make)) {
        thread_.setObjectName(QStringLiteral("speech"));
    }

    ~ThreadedSpeech() override {
        if (!started_) return;
        // The engine ends on its own thread; a contact under way is waited for.
        QMetaObject::invokeMethod(
            home_.get(), [this] { engine_.reset(); }, Qt::BlockingQueuedConnection);
        thread_.quit();
        thread_.wait();
    }

    bool available() override {
        if (!contacted_) {
            prepare();
            std::unique_lock lock(mutex_);
            answeredCv_.wait(lock, [this] { return answered_; });
            lock.unlock();
            take();
        }
        return works_;
    }
    bool contacted() const override { return contacted_; }

    void prepare() override {
        if (started_) return;
        started_ = true;
        home_ = std::make_unique<QObject>();
        home_->moveToThread(&thread_);
        thread_.start();
        QMetaObject::invokeMethod(
            home_.get(), [this] { contact(); }, Qt::QueuedConnection);
    }

    QStringList voices() override { return available() ? voices_ : QStringList(); }
    void setVoice(const QString& name) override {
        there([this, name] { engine_->setVoice(name); });
    }
    void setRate(int rate) override {
        there([this, rate] { engine_->setRate(rate); });
    }
    void say(const QString& text) override {
        if (!available()) return void(emit failed(problem_));
        const int serial = ++serial_;
        there([this, text, serial] {
            serialThere_ = serial;
            engine_->say(text);
        });
    }
    void stop() override {
        // What the engine tells of an earlier text from now on is stale.
        ++serial_;
        if (contacted_ && works_) there([this] { engine_->stop(); });
    }

  private:
    // Runs on the engine's thread, in the order asked.
    template <class F>
    void there(F f) {
        prepare();
        QMetaObject::invokeMethod(
            home_.get(),
            [this, f = std::move(f)] {
                if (engine_) f();
            },
            Qt::QueuedConnection);
    }
    // Runs on the window's thread, unless this voice has ended.
    template <class F>
    void back(F f) {
        QMetaObject::invokeMethod(this, std::move(f));
    }

    // On the engine's thread.
    void contact() {
        QString problem;
        engine_ = make_(problem);
        if (engine_) {
            engine_->said = [this] {
                back([this, s = serialThere_] {
                    if (s == serial_) emit said();
                });
            };
            engine_->failed = [this](const QString& why) {
                back([this, s = serialThere_, why] {
                    if (s == serial_) emit failed(why);
                });
            };
        }
        const bool works = engine_ && engine_->available();
        const QStringList voices = works ? engine_->voices() : QStringList();
        {
            std::lock_guard lock(mutex_);
            answered_ = true, worksThere_ = works, voicesThere_ = voices, problemThere_ = problem;
        }
        answeredCv_.notify_all();
        back([this] {
            take();
            emit ready();
        });
    }

    // On the window's thread, once answered.
    void take() {
        if (contacted_) return;
        std::lock_guard lock(mutex_);
        contacted_ = true;
        works_ = worksThere_, voices_ = voicesThere_, problem_ = problemThere_;
    }

    SpeechEngineMaker make_;
    QThread thread_;
    std::unique_ptr<QObject> home_;  // the engine thread's own object, the target of there()
    bool started_ = false;
    // The window's thread's copy of the answer.
    bool contacted_ = false;
    bool works_ = false;
    QStringList voices_;
    QString problem_;
    int serial_ = 0;
    // Handed over under the mutex.
    std::mutex mutex_;
    std::condition_variable answeredCv_;
    bool answered_ = false;
    bool worksThere_ = false;
    QStringList voicesThere_;
    QString problemThere_;
    // The engine's thread's own.
    std::unique_ptr<SpeechEngine> engine_;
    int serialThere_ = 0;
};

std::unique_ptr<SpeechEngine> loadModule(QString& problem) {
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
                reinterpret_cast<SpeechEngine* (*)()>(module.resolve(TRESSLIN_SPEECH_ENTRY)))
            return std::unique_ptr<SpeechEngine>(make());
        problem = module.errorString();
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<Speech> makeThreadedSpeech(SpeechEngineMaker makeEngine) {
    return std::make_unique<ThreadedSpeech>(std::move(makeEngine));
}

std::unique_ptr<Speech> makeDesktopSpeech() {
    return makeThreadedSpeech(loadModule);
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
