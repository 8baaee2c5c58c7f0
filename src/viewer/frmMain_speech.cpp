// Reading aloud, as the window lends itself to it: the part on view, the next one, the caption.
#include "book/SpeechText.h"
#include "dialogs/DialogPrompts.h"
#include "platform/Speech.h"
#include "settings/Settings.h"
#include "viewer/ReadAloud.h"
#include "viewer/frmMain.h"

namespace tresslin {

namespace {
// A line that is not wrapped says what its box can show: no more than 32766 characters.
constexpr std::size_t kMaxSpokenChars = 32766;

bool modifierAlone(int key) {
    return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
           key == Qt::Key_Meta || key == Qt::Key_AltGr;
}
}  // namespace

void frmMain::setSpeechMaker(std::function<std::unique_ptr<Speech>()> maker) {
    speechMaker_ = std::move(maker);
}

bool frmMain::readAloudKey(int key, int shift) {
    const bool toggle = shift == 2 && key == Qt::Key_P && !book_.lines.empty();
    if (!toggle) {
        if (readAloud_) readAloud_->keyPressed(modifierAlone(key));
        return false;
    }
    readAloudNow().toggle();
    return true;
}

Speech& frmMain::voice() {
    return readAloudNow().voice();
}

ReadAloud& frmMain::readAloudNow() {
    if (!readAloud_) {
        ReadAloud::Walk walk;
        walk.text = [this] { return spokenPart(); };
        walk.showNext = [this] {
            if (!stepForward()) return false;
            ShowLine();
            return true;
        };
        walk.changed = [this](bool on) {
            // The two ways of reading on by themselves never run together.
            if (on) tmrAutoShow.stop();
            ShowCaptionStatus(on ? tr("   Reading: On") : tr("   Reading: Off"));
        };
        walk.problem = [this](const QString& why) {
            prompts_.message(this,
                             tr("Reading aloud stopped: ") +
                                 (why.isEmpty() ? tr("the speech service failed.") : why),
                             MessageIcon::Warning, QString::fromLatin1(kAppTitle));
        };
        walk.noService = [this] {
            prompts_.message(this, noSpeechMessage(), MessageIcon::Warning,
                             QString::fromLatin1(kAppTitle));
        };
        readAloud_ = std::make_unique<ReadAloud>(
            std::move(walk), speechMaker_ ? speechMaker_ : [] { return makeDesktopSpeech(); });
    }
    return *readAloud_;
}

QString frmMain::spokenPart() {
    const std::int32_t line = cursor_.line();
    if (line < 0 || book_.lines.empty() || line > book_.maxLine()) return {};
    const DisplayChars chars(book_.lines.line(line), settings::readCoding());
    checkLayout();
    const auto wrap = wrapOf(line);
    const std::size_t start = cursor_.partStart(wrap ? &*wrap : nullptr);
    const std::size_t end = wrap ? wrap->partEnd(start) : kMaxSpokenChars * (chars.utf8() ? 4 : 1);
    return QString::fromStdU16String(speechText(chars, start, end));
}

QString frmMain::lineStatus() const {
    if (tmrAutoShow.isActive()) return tr("   Timer: On");
    if (readAloud_ && readAloud_->isOn()) return tr("   Reading: On");
    return {};
}

}  // namespace tresslin
