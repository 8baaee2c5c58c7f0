// A FictionBook whose content is the input, whatever faults it holds: it never crashes, hangs or
// leaks; it opens unless nothing of a book is left, and what it opens is UTF-8 lines.
#include <QString>
#include <algorithm>
#include <string>

#include "FuzzInput.h"
#include "formats/BookFormats.h"

using namespace tresslin;
using tresslin::fuzz::Fail;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = "<?xml version=\"1.0\"?>\n<FictionBook>" +
                              std::string(reinterpret_cast<const char*>(data), size);
    const FormattedBook book = readFormattedBytes(bytes);
    if (book.format != BookFormat::FictionBook) Fail("a FictionBook read as something else");
    if (!book.ok()) {
        if (book.error != FormatError::MalformedXml || !book.text.empty())
            Fail("refused for another reason, or with text left");
        return 0;
    }
    const std::string& t = book.text;
    const auto lines = std::count(t.begin(), t.end(), '\n');
    if (lines < 3 || t.back() != '\n') Fail("fewer than the three head lines, or an open line");
    if (QString::fromUtf8(t).toUtf8().toStdString() != t) Fail("not UTF-8");
    if (!std::is_sorted(book.headings.begin(), book.headings.end()) ||
        (!book.headings.empty() && book.headings.back() >= lines))
        Fail("a heading on no line of the text");
    return 0;
}
