// The formats reader on any bytes: it never crashes or leaks, fails without text, and a book
// it reads is UTF-8 lines with its blanks collapsed and its headings on lines that exist.
#include <QString>
#include <algorithm>
#include <cstdint>

#include "FuzzInput.h"
#include "formats/BookFormats.h"

using namespace tresslin;
using tresslin::fuzz::Fail;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const FormattedBook book = readFormattedBytes(bytes);
    if (!book.ok()) {
        if (!book.text.empty()) Fail("a failure left text");
        return 0;
    }
    if (book.format != BookFormat::FictionBook) return 0;
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
