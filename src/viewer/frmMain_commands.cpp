// Open, go to a line, find.
#include <QFileInfo>

#include "book/BookFind.h"
#include "book/BookFindUtf8.h"
#include "book/ViewRules.h"
#include "book/mdlFiles.h"
#include "dialogs/DialogPrompts.h"
#include "settings/Settings.h"
#include "viewer/FileNames.h"
#include "viewer/frmMain.h"

namespace tresslin {

namespace {

// The search text in the book's coding, or nothing when Windows Cyrillic cannot hold one of
// its characters (such a text cannot be in the book).
std::optional<std::string> searchBytes(const QString& text, int coding) {
    std::string bytes;
    bytes.reserve(std::size_t(text.size()));
    const auto codepoints = text.toUcs4();
    for (const char32_t c : codepoints) {
        const auto b = unicodeToCp1251(c);
        if (!b) return std::nullopt;
        bytes += char(*b);
    }
    return RecodeText(bytes, kWindowsCyrillic, coding);
}

}  // namespace

void frmMain::OpenNewText() {
    const std::optional<QString> chosen = prompts_.openFile(this, lastOpenChoice_);
    // Cancel changes nothing: the book being read stays as it is.
    if (!chosen || chosen->isEmpty()) return;
    const QString path = resolveChosenPath(*chosen);
    lastOpenChoice_ = *chosen;
    setWindowTitle(readablePath(path));
    txtView->setText(QStringLiteral(" Please, Wait..."));
    // Let the window show the path and the wait text before the load blocks it.
    txtView->repaint();
    OpenBook(path);
}

void frmMain::goToLine() {
    const QString answer = prompts_.input(
        this,
        QStringLiteral("Insert Line Number from 1 to ") + QString::number(qint64(MaxLine) + 1),
        QStringLiteral("Open Line"));
    const auto line = parseLineJump(answer.toStdString(), MaxLine);
    if (!line) return;
    CurLine = *line;
    ShowLine(CurLine);
}

void frmMain::FindCommand(bool Again) {
    // F3 asks only while there is nothing to look for yet; the line shown is then proposed.
    const bool nothingYet = trimBlanks(FindText).isEmpty();
    if (nothingYet) FindText = trimBlanks(txtView->text());
    if ((Again && !nothingYet) || prompts_.showFind(this, FindText)) FindNext();
}

void frmMain::FindNext() {
    const int coding = settings::readNumber(settings::TextCoding);
    const auto needle = coding == kUtf8 ? std::optional<std::string>(FindText.toStdString())
                                        : searchBytes(FindText, coding);
    if (needle) {
        const std::int64_t first = std::int64_t(CurLine) + 1;
        const std::int64_t hit =
            coding == kUtf8
                ? findInLinesUtf8(BookLines, first, MaxLine, *needle)
                : findInLines(BookLines, first, MaxLine, *needle, tablesFor(coding).fold);
        if (hit >= 0) {
            CurLine = std::int32_t(hit);
            ShowLine(CurLine);
            return;
        }
    }
    prompts_.message(this, QStringLiteral("Search text is not found"), MessageIcon::Warning,
                     QString::fromLatin1(kAppTitle));
}

}  // namespace tresslin
