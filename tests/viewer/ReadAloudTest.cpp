#include <QAbstractItemView>
#include <QComboBox>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <mutex>
#include <semaphore>

#include "ViewerFixture.h"
#include "dialogs/frmSettings.h"
#include "platform/Speech.h"
#include "platform/SpeechEngine.h"
#include "viewer/ReadAloud.h"

using namespace tresslin;
using namespace tresslin::test;

namespace {
struct SpeechLog {
    bool works = true;  // false: no speech service answers
    bool asked = false;
    QString failOn;    // a text the voice gives up on
    QStringList said;  // the texts, and "stop" for each stop
    QString voice;
    int rate = 99;
};

// Says every text at once.
class FakeSpeech : public Speech {
  public:
    explicit FakeSpeech(SpeechLog& log) : log_(log) {}
    bool available() override { return log_.asked = true, log_.works; }
    bool contacted() const override { return log_.asked; }
    QStringList voices() override { return {"ru"}; }
    void setVoice(const QString& name) override { log_.voice = name; }
    void setRate(int rate) override { log_.rate = rate; }
    void say(const QString& text) override {
        log_.said << text;
        text == log_.failOn ? emit failed("no sound") : emit said();
    }
    void stop() override { log_.said << "stop"; }

  private:
    SpeechLog& log_;
};

// A service that answers only when the test lets it, on the voice's own thread.
struct LateService {
    std::binary_semaphore answer{0};
    bool works = true;
    std::mutex mutex;
    QStringList said;
};
class LateEngine : public SpeechEngine {
  public:
    explicit LateEngine(LateService& service) : service_(service) {}
    bool available() override {
        // Not a sleep: the test lets it go; the limit only ends a test whose window hangs.
        if (!answered_) answered_ = service_.answer.try_acquire_for(std::chrono::seconds(30));
        return answered_ && service_.works;
    }
    bool contacted() const override { return answered_; }
    QStringList voices() override { return {"ru"}; }
    void setVoice(const QString&) override {}
    void setRate(int) override {}
    void say(const QString& text) override {
        std::lock_guard lock(service_.mutex);
        service_.said << text;
    }
    void stop() override {}

  private:
    LateService& service_;
    bool answered_ = false;
};

std::string words(int n) {
    std::string s = "w1";
    for (int i = 2; i <= n; ++i) s += " w" + std::to_string(i);
    return s;
}
struct PaintCounter : QObject {
    PaintCounter(QObject* watched, int& paints) : paints_(paints) {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        return paints_ += e->type() == QEvent::Paint, false;
    }
    int& paints_;
};

const std::string kBook = Cp1251("Один\r\n\r\nдва\xC2\xADтри\r\n") + words(60);

class ReadAloudWindow : public ViewerTest {
  protected:
    void SetUp() override { fresh(); }
    void TearDown() override { window.reset(); }  // its voice writes to speech until it ends
    void fresh() {
        makeWindow();
        window->setSpeechMaker([this] { return std::make_unique<FakeSpeech>(speech); });
        WriteSetting(settings::DetectCoding, "0");
        open(kBook);
        speech.said.clear();
    }
    // Lets the voice finish part after part (an empty line's pause ended by hand) until reading
    // stops.
    void listen() {
        for (int i = 0; i < 1000 && window->readAloud()->isOn(); ++i) {
            if (window->readAloud()->pause().isActive())
                window->readAloud()->partDone();
            else
                QCoreApplication::processEvents();
        }
    }
    SpeechLog speech;
};
}  // namespace

TEST_F(ReadAloudWindow, WalksLinesAndPartsToTheEnd) {
    press("Ctrl+P");
    listen();
    // The wrapped line's words each once and whole, then the end, whose place is kept.
    ASSERT_GT(speech.said.size(), 5);
    EXPECT_EQ(speech.said.mid(0, 2), (QStringList{"Один", "дватри"}));
    EXPECT_EQ(speech.said.mid(2, speech.said.size() - 3).join(' '),
              QString::fromStdString(words(60)));
    EXPECT_EQ(caption(), "book.txt  line: 4  (100.00%)   Reading: Off");
    window->readingPlace().settle();
    EXPECT_EQ(ReadSetting(settings::LastLine), "4");
}

TEST_F(ReadAloudWindow, StoppedByKeysAndAutoShowAndStartsNothingWithoutAService) {
    const struct {
        const char* keys;
        QStringList said;
        QString caption;  // after "book.txt  line: "
    } rows[] = {
        {"Ctrl+P Down", {"Один", "stop"}, "2  (33.33%)"},
        {"Ctrl+P Ctrl", {"Один", "stop"}, "1  (0.00%)   Reading: Off"},
        {"Ctrl+P Ctrl Ctrl+P", {"Один", "stop"}, "1  (0.00%)   Reading: Off"},
        {"Ctrl+P Ctrl+P Ctrl+P", {"Один", "stop", "Один"}, "1  (0.00%)   Reading: On"},
        {"Ctrl+P next", {"Один", "stop"}, "2  (33.33%)"},
        {"Ctrl+P timer", {"Один", "stop"}, "1  (0.00%)   Timer: On"},
        {"timer Ctrl+P", {"Один"}, "1  (0.00%)   Reading: On"},
        {"Down Ctrl+P", {}, "2  (33.33%)"},  // no service
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.keys);
        speech.works = !r.said.isEmpty();
        fresh();
        prompts.messages.clear();
        press(r.keys);
        EXPECT_EQ(speech.said, r.said);
        EXPECT_EQ(caption(), "book.txt  line: " + r.caption);
        EXPECT_EQ(window->autoShowTimer().isActive(), r.caption.endsWith("Timer: On"));
        ASSERT_EQ(prompts.messages.size(), r.said.isEmpty() ? 1u : 0u);
        for (const auto& m : prompts.messages) EXPECT_EQ(m.text, noSpeechMessage());
    }
    // The voice and rate are read when reading starts.
    WriteSetting(settings::SpeechVoice, "ru");
    WriteSetting(settings::SpeechRate, "-4");
    speech.works = true;
    press("Ctrl+P");
    EXPECT_EQ(speech.voice, "ru");
    EXPECT_EQ(speech.rate, -4);
}

TEST_F(ReadAloudWindow, AFailingVoiceIsToldAndTheVoiceListAsksTheServiceOnlyWhenOpened) {
    speech.failOn = "дватри";
    press("Ctrl+P");
    listen();
    EXPECT_EQ(caption(), "book.txt  line: 3  (66.67%)   Reading: Off");
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "Reading aloud stopped: no sound");
    for (const bool works : {true, false}) {
        speech = SpeechLog(), speech.works = works;
        fresh();
        frmSettings dialog(window.get(), *window, prompts);
        auto* list = dialog.findChild<QComboBox*>("cmbVoice");
        EXPECT_FALSE(speech.asked);
        list->showPopup();
        EXPECT_TRUE(speech.asked);
        EXPECT_EQ(list->isEnabled(), works);
        EXPECT_EQ(list->count(), works ? 2 : 1);  // "Default" and the voice
        list->hidePopup();
    }
}

TEST_F(ReadAloudWindow, TheStripAnswersWhileTheServiceIsContactedAndAKeyMeanwhileCancels) {
    const struct {
        const char* keys;  // pressed after Ctrl+P, before the service answers
        bool works;
        QStringList said;
        QString caption;  // after "book.txt  line: "
    } rows[] = {
        {"", true, {"Один"}, "1  (0.00%)   Reading: On"},
        {"Down", true, {}, "2  (33.33%)"},
        {"Ctrl+P", true, {}, "1  (0.00%)   Reading: Off"},
        {"", false, {}, "1  (0.00%)   Reading: Off"},  // and the user is told
        {"End", false, {}, "4  (100.00%)"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.keys);
        LateService service;
        service.works = r.works;
        fresh();
        window->setSpeechMaker([&] {
            return makeThreadedSpeech(
                [&](QString&) { return std::make_unique<LateEngine>(service); });
        });
        window->show();
        prompts.messages.clear();
        int paints = 0;
        PaintCounter counter(window->view(), paints);
        // A window that waited for the service would hold here until the engine's limit.
        press("Ctrl+P");
        EXPECT_EQ(caption(), "book.txt  line: 1  (0.00%)   Reading: On");
        press(r.keys);
        window->view()->update();
        EXPECT_TRUE(QTest::qWaitFor([&] { return paints > 0; }, 10000));
        EXPECT_FALSE(window->voice().contacted());
        QSignalSpy ready(&window->voice(), &Speech::ready);
        service.answer.release();
        ASSERT_TRUE(ready.wait(30000));
        const auto saidSomething = [&] {
            std::lock_guard lock(service.mutex);
            return !service.said.isEmpty();
        };
        if (!r.said.isEmpty()) {
            EXPECT_TRUE(QTest::qWaitFor(saidSomething, 10000));
        }
        EXPECT_EQ(caption(), "book.txt  line: " + r.caption);
        EXPECT_EQ(prompts.messages.size(), r.works || *r.keys ? 0u : 1u);
        window.reset();  // the voice's thread has done all it was asked
        EXPECT_EQ(service.said, r.said);
    }
}

TEST_F(ReadAloudWindow, TheVoiceListOpensWhenALateServiceAnswersAndTheDialogNeverWaits) {
    LateService service;
    window->setSpeechMaker([&] {
        return makeThreadedSpeech([&](QString&) { return std::make_unique<LateEngine>(service); });
    });
    frmSettings dialog(window.get(), *window, prompts);
    auto* list = dialog.findChild<QComboBox*>("cmbVoice");
    dialog.findChild<QTabWidget*>()->setCurrentWidget(list->parentWidget());
    dialog.show();
    list->setFocus();
    list->showPopup();  // a list that waited for the voices would hold here until the limit
    EXPECT_FALSE(list->view()->isVisible());
    service.answer.release();
    EXPECT_TRUE(waitFor([&] { return list->view()->isVisible(); }));
    EXPECT_EQ(list->count(), 2);
}
