// Open, go to a line, find.
#include <QFileInfo>
#include <vector>

#include "book/BookFind.h"
#include "book/BookFindUtf8.h"
#include "book/Typography.h"
#include "book/mdlFiles.h"
#include "dialogs/DialogPrompts.h"
#include "platform/FileNames.h"
#include "settings/Settings.h"
#include "viewer/WindowRules.h"
#include "viewer/frmMain.h"

namespace tresslin {

namespace {

// The search text in the book's coding and the folding to compare it with, or nothing when
// Windows Cyrillic cannot hold one of its characters (such a text cannot be in the book).
struct Needle {
    std::string bytes;
    FoldTable fold;
};

std::optional<Needle> searchNeedle(const QString& text, TextCoding coding) {
    const CodingTables& tables = tablesFor(coding);
    Needle needle{{}, tables.fold};
    // The view shows every byte Windows Cyrillic has no character for (DOS and KOI8-R box
    // drawing) as U+FFFD; a line proposed for the search must still find itself, so all such
    // bytes compare as one, and as the U+FFFD of the search text.
    int unshown = -1;
    for (int b = 0; b < 256; ++b) {
        if (tables.toUnicode[std::size_t(b)] != 0xFFFD) continue;
        if (unshown < 0) unshown = b;
        needle.fold[std::size_t(b)] = static_cast<unsigned char>(unshown);
    }
    std::string bytes;
    std::vector<std::size_t> marks;
    bytes.reserve(std::size_t(text.size()));
    const auto codepoints = text.toUcs4();
    for (const char32_t c : codepoints) {
        if (c == 0xFFFD && unshown >= 0) {
            marks.push_back(bytes.size());
            bytes += ' ';
            continue;
        }
        const auto b = unicodeToCp1251(c);
        if (!b) return std::nullopt;
        bytes += char(*b);
    }
    needle.bytes = RecodeText(bytes, kWindowsCyrillic, coding);
    for (const std::size_t m : marks) needle.bytes[m] = char(unshown);
    return needle;
}

}  // namespace

void frmMain::OpenNewText() {
    const std::optional<QString> chosen = prompts_.openFile(this, lastOpenChoice_);
    // Cancel changes nothing: the book being read stays as it is.
    if (!chosen || chosen->isEmpty()) return;
    const BookLocation book = locationOfText(*chosen);
    lastOpenChoice_ = *chosen;
    setWindowTitle(shownText(book));
    txtView->setText(QStringLiteral(" Please, Wait..."));
    // Let the window show the path and the wait text before the load blocks it.
    txtView->repaint();
    OpenBook(book);
}

void frmMain::goToLine() {
    const QString answer = prompts_.input(this,
                                          QStringLiteral("Insert Line Number from 1 to ") +
                                              QString::number(qint64(book_.maxLine()) + 1),
                                          QStringLiteral("Open Line"));
    const auto line = parseLineJump(answer.toStdString(), book_.maxLine());
    if (!line) return;
    cursor_.moveTo(*line);
    ShowLine();
}

void frmMain::FindCommand(bool Again) {
    // F3 asks only while there is nothing to look for yet; the line shown is then proposed.
    const bool nothingYet = trimBlanks(FindText).isEmpty();
    if (nothingYet) FindText = trimBlanks(txtView->text());
    if ((Again && !nothingYet) || prompts_.showFind(this, FindText)) FindNext();
}

void frmMain::FindNext() {
    const TextCoding coding = settings::readCoding();
    // Soft hyphens are not looked for: the book's are passed over, as the view hides them.
    const QString wanted = QString(FindText).remove(QChar(0x00AD));
    const auto needle = coding == kUtf8 ? std::optional<Needle>({wanted.toStdString(), {}})
                                        : searchNeedle(wanted, coding);
    if (needle) {
        const bool yo = settings::readFlag(settings::YoIsYe);
        FoldTable fold = needle->fold;
        if (yo) foldYoAsYe(fold, coding);
        const std::int64_t first = std::int64_t(cursor_.line()) + 1;
        std::uint64_t at = 0;
        const std::int64_t hit = findIgnoringSoftHyphens(
            book_.lines, first, book_.maxLine(), coding,
            [&](const LineStore& lines, std::int64_t from, std::int64_t to, std::uint64_t* match) {
                return coding == kUtf8 ? findInLinesUtf8(lines, from, to, needle->bytes, match, yo)
                                       : findInLines(lines, from, to, needle->bytes, fold, match);
            },
            &at);
        if (hit >= 0) {
            // The part that holds the start of the match.
            cursor_.moveToOffset(std::int32_t(hit), std::size_t(at));
            ShowLine();
            return;
        }
    }
    prompts_.message(this, QStringLiteral("Search text is not found"), MessageIcon::Warning,
                     QString::fromLatin1(kAppTitle));
}

}  // namespace tresslin
