// The key dispatcher and the commands list.
#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "book/Chapters.h"
#include "book/mdlDeclarations.h"
#include "book/mdlFiles.h"
#include "dialogs/DialogPrompts.h"
#include "settings/ChapterRule.h"
#include "settings/Settings.h"
#include "viewer/OutOfSight.h"
#include "viewer/WindowRules.h"
#include "viewer/frmMain.h"

namespace tresslin {

namespace {
constexpr int kShift = 1;
constexpr int kCtrl = 2;
constexpr int kAlt = 4;
}  // namespace

int frmMain::shiftState(int key, Qt::KeyboardModifiers modifiers) {
    int state = 0;
    if (modifiers & Qt::ShiftModifier) state |= kShift;
    if (modifiers & Qt::ControlModifier) state |= kCtrl;
    if (modifiers & Qt::AltModifier) state |= kAlt;
    // A modifier key's own press may or may not carry its bit, depending on the platform.
    if (key == Qt::Key_Shift) state |= kShift;
    if (key == Qt::Key_Control) state |= kCtrl;
    if (key == Qt::Key_Alt) state |= kAlt;
    return state;
}

int frmMain::latinKey(int key) {
    // The Russian layout's letters and the Latin keys they share (ЙЦУКЕН over QWERTY).
    static constexpr struct {
        char16_t cyr;
        int latin;
    } kMap[] = {{u'Й', Qt::Key_Q}, {u'Ц', Qt::Key_W}, {u'У', Qt::Key_E}, {u'К', Qt::Key_R},
                {u'Е', Qt::Key_T}, {u'Н', Qt::Key_Y}, {u'Г', Qt::Key_U}, {u'Ш', Qt::Key_I},
                {u'Щ', Qt::Key_O}, {u'З', Qt::Key_P}, {u'Ф', Qt::Key_A}, {u'Ы', Qt::Key_S},
                {u'В', Qt::Key_D}, {u'А', Qt::Key_F}, {u'П', Qt::Key_G}, {u'Р', Qt::Key_H},
                {u'О', Qt::Key_J}, {u'Л', Qt::Key_K}, {u'Д', Qt::Key_L}, {u'Я', Qt::Key_Z},
                {u'Ч', Qt::Key_X}, {u'С', Qt::Key_C}, {u'М', Qt::Key_V}, {u'И', Qt::Key_B},
                {u'Т', Qt::Key_N}, {u'Ь', Qt::Key_M}};
    const auto upper = toUpperLetter(char32_t(key));
    for (const auto& m : kMap) {
        if (m.cyr == upper) return m.latin;
    }
    return key;
}

QString frmMain::trimBlanks(const QString& s) {
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s[b] == u' ') ++b;
    while (e > b && s[e - 1] == u' ') --e;
    return s.mid(b, e - b);
}

bool frmMain::event(QEvent* e) {
    // Every key goes to the dispatcher first, Tab included (no focus chain here).
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        Form_KeyDown(latinKey(k->key()), shiftState(k->key(), k->modifiers()));
        return true;
    }
    if (e->type() == QEvent::ToolTip && !book_.location.empty()) {
        // Worked out only when asked for: the view's own tip, if any, has been shown already.
        QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), timeLeftText(), this);
        return true;
    }
    if (e->type() == QEvent::ShortcutOverride) {
        e->accept();
        return true;
    }
    return QWidget::event(e);
}

void frmMain::wheelEvent(QWheelEvent* event) {
    event->accept();
    // Over the view and the buttons too: they pass the wheel on to the window.
    const int steps = wheel_.add(event->angleDelta().y());
    for (int i = 0; i < std::abs(steps) && !unloaded_; ++i)
        Form_KeyDown(steps > 0 ? Qt::Key_Up : Qt::Key_Down, 0);
}

void frmMain::Form_KeyDown(int key, int shift) {
    if (readAloudKey(key, shift)) return;
    TimerOff();
    HandleGeneralKey(key, shift);
    if (unloaded_) return;
    if (IsBookOpen()) HandleBookKey(key, shift);
}

void frmMain::HandleGeneralKey(int key, int shift) {
    if (shift == kCtrl) {
        HandleGeneralCtrlKey(key);
        return;
    }
    switch (key) {
        case Qt::Key_F1:
            ShowCommandsList();
            break;
        case Qt::Key_Escape:
            unload();
            break;
        case Qt::Key_Minus:
        case Qt::Key_Underscore:  // the same key with Shift held
            // The moment a reader looks away is the moment the desk may be left.
            readingPlace_.saveNow();
            if (outOfSight_->hidesOnMinus())
                hide();
            else
                showMinimized();
            break;
        default:
            break;
    }
}

void frmMain::HandleGeneralCtrlKey(int key) {
    switch (key) {
        case Qt::Key_O:
            OpenNewText();
            break;
        case Qt::Key_R:
            openRecent();
            break;
        case Qt::Key_G:
            if (!LastFile.empty() && LastLine >= 1) {
                if (OpenBook(LastFile)) {
                    // A book that has become shorter opens at its last line.
                    cursor_.moveTo(std::min(LastLine - 1, book_.maxLine()));
                    ShowLine();
                }
            }
            break;
        default:
            break;
    }
}

void frmMain::HandleBookKey(int key, int shift) {
    if (shift == kCtrl)
        HandleBookCtrlKey(key);
    else
        HandleMoveKey(key);
}

void frmMain::HandleBookCtrlKey(int key) {
    switch (key) {
        case Qt::Key_L:
            goToLine();
            break;
        case Qt::Key_S:
            prompts_.showSettings(this, *this);
            syncSetUp();
            ShowLine();
            break;
        case Qt::Key_T:
            prompts_.showTimer(this, *this);
            break;
        case Qt::Key_F:
            FindCommand(false);
            break;
        case Qt::Key_J:
            showContents();
            break;
        case Qt::Key_B:
            setBookmark();
            break;
        case Qt::Key_K:
            showBookmarks();
            break;
        default:
            break;
    }
}

void frmMain::HandleMoveKey(int key) {
    switch (key) {
        case Qt::Key_Down:
            stepForward();
            break;
        case Qt::Key_Up:
            stepBack();
            break;
        case Qt::Key_Home:
            cursor_.moveTo(0);
            break;
        case Qt::Key_End:
            cursor_.moveTo(book_.maxLine());
            break;
        case Qt::Key_F3:
            FindCommand(true);
            break;
        case Qt::Key_PageDown:
        case Qt::Key_PageUp:
            stepChapter(key == Qt::Key_PageDown);
            break;
        case Qt::Key_Backspace:
            // Back to where the strip was before a place from another device was taken.
            if (!syncBack_) return;
            cursor_.moveToOffset(std::int32_t(syncBack_->line), std::size_t(syncBack_->offset));
            syncBack_.reset();
            break;
        default:
            break;
    }
    ShowLine();
}

void frmMain::stepChapter(bool forward) {
    const std::int32_t from = cursor_.line();
    std::int64_t to = from;
    const std::vector<std::int64_t>& headings = book_.headings;
    if (book_.exactHeadings()) {
        if (forward) {
            const auto next = std::upper_bound(headings.begin(), headings.end(), from);
            if (next != headings.end()) to = *next;
        } else {
            const auto at = std::lower_bound(headings.begin(), headings.end(), from);
            if (at != headings.begin())
                to = *std::prev(at);
            else if (!headings.empty())
                to = 0;
        }
    } else {
        const TextCoding coding = settings::readCoding();
        const std::optional<ChapterRule> rule = ChapterRule::stored();
        const auto next = [&](std::int64_t after) {
            return rule ? rule->next(book_.lines, after, coding)
                        : nextChapterHeading(book_.lines, after, coding);
        };
        const std::int64_t found = forward ? next(from)
                                           : (rule ? rule->prev(book_.lines, from, coding)
                                                   : prevChapterHeading(book_.lines, from, coding));
        if (found >= 0)
            to = found;
        else if (!forward && next(std::int64_t(from) - 1) >= 0)
            // Before the first chapter (a foreword, the title page) the way back is the book's
            // start; a book without chapters keeps its line.
            to = 0;
    }
    // Staying on the line keeps the part on view.
    if (to != from) cursor_.moveTo(std::int32_t(to));
}

QString frmMain::commandsListText() {
    static const char* const kLines[] = {
        "==============",
        QT_TRANSLATE_NOOP("tresslin::frmMain", "File Commands:"),
        "==============",
        QT_TRANSLATE_NOOP("tresslin::frmMain", "ESC Key                          -  Exit program"),
        QT_TRANSLATE_NOOP("tresslin::frmMain",
                          "(-) MINUS SIGN (Numeric Keypad)  -  Minimize Program"),
        QT_TRANSLATE_NOOP("tresslin::frmMain",
                          "(+) PLUS SIGN (Numeric Keypad)   - Maximize (Restore) Program"),
        "",
        "===================",
        QT_TRANSLATE_NOOP("tresslin::frmMain", "Text View Commands:"),
        "====================",
        QT_TRANSLATE_NOOP("tresslin::frmMain", "Key Down   -  Next Line"),
        QT_TRANSLATE_NOOP("tresslin::frmMain", "Key Up     -  Previous Line"),
        QT_TRANSLATE_NOOP("tresslin::frmMain", "CTRL + T   -  Timer On  (Auto Show)"),
        QT_TRANSLATE_NOOP("tresslin::frmMain", "CTRL + P   -  Read Aloud On / Off"),
        QT_TRANSLATE_NOOP("tresslin::frmMain", "(Press Any Key For Timer Off)"),
        "",
        "==============",
        QT_TRANSLATE_NOOP("tresslin::frmMain", "Edit Commands:"),
        "==============",
        QT_TRANSLATE_NOOP("tresslin::frmMain", "CTRL + O   -  Open New Text"),
        QT_TRANSLATE_NOOP("tresslin::frmMain", "CTRL + G   -  Get Open Last File"),
        QT_TRANSLATE_NOOP("tresslin::frmMain", "CTRL + R   -  Recent Books"),
        QT_TRANSLATE_NOOP("tresslin::frmMain", "CTRL + L   -  Goto Line"),
        QT_TRANSLATE_NOOP("tresslin::frmMain", "CTRL + F   -  Find"),
        QT_TRANSLATE_NOOP("tresslin::frmMain", "F3 Key     -  Find Next"),
        QT_TRANSLATE_NOOP("tresslin::frmMain", "CTRL + S   -  Settings (Text Coding)"),
        "",
        "==============",
        QT_TRANSLATE_NOOP("tresslin::frmMain", "Find Your Way:"),
        "==============",
        QT_TRANSLATE_NOOP("tresslin::frmMain", "PAGE DOWN  -  Next Chapter"),
        QT_TRANSLATE_NOOP("tresslin::frmMain", "PAGE UP    -  Previous Chapter"),
        QT_TRANSLATE_NOOP("tresslin::frmMain", "CTRL + J   -  Contents"),
        QT_TRANSLATE_NOOP("tresslin::frmMain", "CTRL + B   -  Set Bookmark"),
        QT_TRANSLATE_NOOP("tresslin::frmMain", "CTRL + K   -  Bookmarks (Delete Removes One)"),
    };
    QString text;
    for (std::size_t i = 0; i < std::size(kLines); ++i) {
        if (i > 0) text += QStringLiteral("\r\n");
        text += tr(kLines[i]);
    }
    return text;
}

QString frmMain::commandsListTitle() {
    return QString::fromStdString(versionCaption()) + tr(" Help");
}

void frmMain::ShowCommandsList() {
    prompts_.message(this, commandsListText(), MessageIcon::Information, commandsListTitle());
}

}  // namespace tresslin
