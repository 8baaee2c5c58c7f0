// Finding one's way in a book: the contents (Ctrl+J), bookmarks (Ctrl+B, Ctrl+K), the pace of
// auto-show in words a minute and the time left to read.
#include <QLocale>
#include <algorithm>
#include <cmath>

#include "book/Chapters.h"
#include "book/ReadingPace.h"
#include "book/mdlFiles.h"
#include "dialogs/DialogPrompts.h"
#include "platform/FileNames.h"
#include "settings/Bookmarks.h"
#include "settings/ChapterRule.h"
#include "settings/Settings.h"
#include "viewer/WindowRules.h"
#include "viewer/frmMain.h"

namespace tresslin {

namespace {
constexpr qsizetype kHeadingChars = 80;
constexpr int kFirstWords = 8;
constexpr std::size_t kWordSample = 256 * 1024;

// Bytes a word takes in the book, from its start: the time left is told from bytes.
double bytesPerWord(const LineStore& lines) {
    const std::size_t n = std::min(lines.byteSize(), kWordSample);
    std::size_t words = 0;
    bool inWord = false;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(lines.data()[i]);
        const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (!blank && !inWord) ++words;
        inWord = !blank;
    }
    return words ? double(n) / double(words) : 6.0;
}
}  // namespace

const frmMain::HeadingList& frmMain::headingList() {
    const TextCoding coding = settings::readCoding();
    const QString rule = book_.exactHeadings() ? QString() : ReadSetting(settings::ChapterRule);
    HeadingList& h = headingList_;
    if (h.known && h.data == book_.lines.data() && h.coding == coding && h.rule == rule) return h;
    h = HeadingList{book_.lines.data(), coding, rule, {}, bytesPerWord(book_.lines), true};
    if (book_.exactHeadings()) {
        h.lines = book_.headings;
    } else if (const auto chapterRule = ChapterRule::make(rule)) {
        for (std::int64_t i = chapterRule->next(book_.lines, -1, coding); i >= 0;
             i = chapterRule->next(book_.lines, i, coding))
            h.lines.push_back(i);
    } else {
        for (std::int64_t i = nextChapterHeading(book_.lines, -1, coding); i >= 0;
             i = nextChapterHeading(book_.lines, i, coding))
            h.lines.push_back(i);
    }
    return h;
}

QString frmMain::textAt(std::int32_t line, std::size_t offset) const {
    std::string_view raw = book_.lines.line(line);
    raw = raw.substr(std::min(offset, raw.size()), 1024);
    const TextCoding coding = settings::readCoding();
    if (coding == kUtf8) return QString::fromUtf8(raw.data(), qsizetype(raw.size()));
    QString text;
    for (const char c : raw)
        text += QChar(tablesFor(coding).toUnicode[static_cast<unsigned char>(c)]);
    return text;
}

QString frmMain::percentText(std::int32_t line) const {
    return QString::fromStdString(formatPercent(percentage(line, book_.maxLine()),
                                                QLocale().decimalPoint().toStdString())) +
           u'%';
}

// The chapter holding the line: its index in the headings, -1 before the first.
static int chapterOf(const std::vector<std::int64_t>& headings, std::int64_t line) {
    return int(std::upper_bound(headings.begin(), headings.end(), line) - headings.begin()) - 1;
}

void frmMain::showContents() {
    const std::vector<std::int64_t>& headings = headingList().lines;
    QList<ContentsEntry> entries;
    for (const std::int64_t line : headings)
        entries.append({textAt(std::int32_t(line), 0).simplified().left(kHeadingChars),
                        std::int32_t(line + 1), percentText(std::int32_t(line))});
    const std::optional<int> chosen =
        prompts_.showContents(this, entries, chapterOf(headings, cursor_.line()));
    if (!chosen || *chosen < 0 || *chosen >= entries.size()) return;
    cursor_.moveTo(std::int32_t(headings[std::size_t(*chosen)]));
    ShowLine();
}

QString frmMain::bookmarkKey() const {
    return storedText(book_.location);
}

void frmMain::setBookmark() {
    const QString key = bookmarkKey();
    writeBookmarks(key, withBookmarkFirst(readBookmarks(key), {cursor_.line() + 1, shownStart_}));
    // Kept at once, as a kill a moment later must not lose it.
    settings::flush();
    ShowCaptionStatus(tr("   Bookmark: set"));
}

void frmMain::showBookmarks() {
    const QString key = bookmarkKey();
    QList<Bookmark> marks = readBookmarks(key);
    // A book changed on disk keeps the marks that still point into it.
    const qsizetype stored = marks.size();
    marks.removeIf([this](const Bookmark& m) {
        return m.line - 1 > book_.maxLine() || m.offset > book_.lines.line(m.line - 1).size();
    });
    if (marks.size() != stored) writeBookmarks(key, marks);
    const std::vector<std::int64_t>& headings = headingList().lines;
    QList<BookmarkEntry> entries;
    for (const Bookmark& m : marks) {
        const int chapter = chapterOf(headings, m.line - 1);
        const QString heading =
            chapter < 0 ? QString()
                        : textAt(std::int32_t(headings[std::size_t(chapter)]), 0).simplified();
        QStringList words = textAt(m.line - 1, m.offset).simplified().split(u' ');
        entries.append({heading.left(kHeadingChars), percentText(m.line - 1),
                        QStringList(words.mid(0, kFirstWords)).join(u' ')});
    }
    const std::optional<int> chosen = prompts_.showBookmarks(this, entries, [&](int index) {
        if (index < 0 || index >= marks.size()) return;
        writeBookmarks(key, withoutBookmark(readBookmarks(key), marks[index]));
        settings::flush();
    });
    if (!chosen || *chosen < 0 || *chosen >= marks.size()) return;
    const Bookmark& m = marks[*chosen];
    cursor_.moveToOffset(m.line - 1, std::size_t(m.offset));
    ShowLine();
}

int frmMain::paceInterval() {
    const int wordsAMinute = settings::readNumber(settings::WordsAMinute);
    if (wordsAMinute <= 0) return -1;
    const auto wrap = wrapOf(cursor_.line());
    const bool paragraphEnd =
        !wrap || wrap->partEnd(shownStart_) >= book_.lines.line(cursor_.line()).size();
    return partStayMs(shownPart_.toStdU16String(), wordsAMinute, paragraphEnd);
}

void frmMain::notePace() {
    if (partShown_.isValid())
        pace_.moved(wordCount(shownPart_.toStdU16String()), partShown_.elapsed());
}

QString frmMain::duration(double minutes) {
    if (minutes < 1) return tr("less than a minute");
    const qint64 whole = qint64(std::ceil(minutes));
    if (whole < 60) return tr("%1 min").arg(whole);
    return tr("%1 h %2 min").arg(whole / 60).arg(whole % 60);
}

QString frmMain::timeLeftText() {
    if (book_.lines.empty() || book_.location.empty()) return {};
    const HeadingList& h = headingList();
    const std::int32_t line = std::clamp(cursor_.line(), 0, book_.maxLine());
    const std::uint64_t at = book_.lines.lineStart(line) + shownStart_;
    const std::uint64_t end = book_.lines.byteSize();
    const auto next = std::upper_bound(h.lines.begin(), h.lines.end(), std::int64_t(line));
    const std::uint64_t chapterEnd =
        next == h.lines.end() ? end : std::uint64_t(book_.lines.lineStart(*next));
    const int setting = settings::readNumber(settings::WordsAMinute);
    const double pace = pace_.wordsAMinute().value_or(
        setting > 0 ? std::max(setting, kWordsAMinuteMin) : kWordsAMinuteDefault);
    auto minutes = [&](std::uint64_t to) {
        return to > at ? double(to - at) / h.bytesPerWord / pace : 0.0;
    };
    if (h.lines.empty())
        return tr("%1: %2 left in the book").arg(percentText(line), duration(minutes(end)));
    return tr("%1: %2 left in the chapter, %3 in the book")
        .arg(percentText(line), duration(minutes(chapterEnd)), duration(minutes(end)));
}

}  // namespace tresslin
