// The formats reader on any bytes: it never crashes or leaks, fails without text, and a book
// it reads is UTF-8 lines with its blanks collapsed and its headings on lines that exist. The
// XPointer written for each of its lines leads back into it, and its first line read as an
// XPointer leads nowhere or to a place in the book.
#include <QString>
#include <algorithm>
#include <cstdint>

#include "FuzzInput.h"
#include "book/mdlText.h"
#include "formats/BookFormats.h"
#include "formats/XPointer.h"

using namespace tresslin;
using tresslin::fuzz::Fail;

namespace {

void checkPlaces(const FormattedBook& book, std::string_view text, std::string_view bytes) {
    LineStore lines;
    if (!splitBookLines(text, lines)) return;
    if (book.format != BookFormat::PlainText &&
        std::int64_t(book.origins.lines.size()) != lines.size())
        Fail("an origin for each line");
    // The input's first line, and two that match books of the kind.
    const QString foreign =
        QString::fromUtf8(bytes.substr(0, std::min<std::size_t>(bytes.find('\n'), 256)));
    for (const QString& x : {foreign, QStringLiteral("/FictionBook/body/pre[2]/text().3"),
                             QStringLiteral("/FictionBook[1]/body/section[2]/p/text()[1].1")}) {
        const auto p = placeAtXPointer(lines, book.format, book.origins, x);
        if (p && (p->line < 0 || p->line >= lines.size() || p->offset < 0 ||
                  std::size_t(p->offset) > lines.line(p->line).size()))
            Fail("an XPointer read as a place outside the book");
    }
    for (std::int64_t i = 0; i < std::min<std::int64_t>(lines.size(), 64); ++i) {
        const TextPlace place{i, std::int64_t(lines.line(i).size() / 2)};
        const QString x = xpointerAt(lines, book.format, book.origins, place);
        if (!x.isEmpty() && !placeAtXPointer(lines, book.format, book.origins, x))
            Fail("an XPointer written that leads nowhere");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const FormattedBook book = readFormattedBytes(bytes);
    if (!book.ok()) {
        if (!book.text.empty()) Fail("a failure left text");
        return 0;
    }
    if (book.format == BookFormat::PlainText) checkPlaces(book, bytes, bytes);
    if (book.format == BookFormat::Epub) checkPlaces(book, book.text, bytes);
    if (book.format != BookFormat::FictionBook) return 0;
    checkPlaces(book, book.text, bytes);
    const std::string& t = book.text;
    const auto lines = std::count(t.begin(), t.end(), '\n');
    if (lines < 3 || t.back() != '\n') Fail("fewer than the three head lines, or an open line");
    if (t.find('\r') != t.npos) Fail("a CR inside the text");
    if (t.front() == ' ' || t.find("  ") != t.npos || t.find(" \n") != t.npos ||
        t.find("\n ") != t.npos)
        Fail("a blank not collapsed");
    if (QString::fromUtf8(t).toUtf8().toStdString() != t) Fail("not UTF-8");
    if (!std::is_sorted(book.headings.begin(), book.headings.end()) ||
        (!book.headings.empty() && (book.headings.front() < 3 || book.headings.back() >= lines)))
        Fail("a heading on no line of the body");
    return 0;
}
