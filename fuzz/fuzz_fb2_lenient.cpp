// A FictionBook whose content is the input, whatever faults it holds: it never crashes, hangs or
// leaks; it opens unless nothing of a book is left, and what it opens is UTF-8 lines. Mending bare
// ampersands converges, never escapes an escape and leaves a well-formed document alone.
#include <QString>
#include <QXmlStreamReader>
#include <algorithm>
#include <string>

#include "FuzzInput.h"
#include "formats/BookFormats.h"
#include "formats/FictionBook.h"

using namespace tresslin;
using tresslin::fuzz::Fail;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes = "<?xml version=\"1.0\"?>\n<FictionBook>" +
                              std::string(reinterpret_cast<const char*>(data), size);
    const QString doc = QString::fromUtf8(bytes);
    const QString mended = mendBareAmpersands(doc);
    if (mendBareAmpersands(mended) != mended) Fail("mending again changed the text");
    if (!doc.contains(u"amp;amp;") && mended.contains(u"amp;amp;")) Fail("an escape escaped");
    QXmlStreamReader xml(doc);
    while (!xml.atEnd()) xml.readNext();
    if (!xml.hasError() && mended != doc) Fail("a well-formed document mended");

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
    if (!doc.contains(u"amp") && !doc.contains(u'#') && t.find("&amp;") != std::string::npos)
        Fail("a repair's escape shown");
    if (!std::is_sorted(book.headings.begin(), book.headings.end()) ||
        (!book.headings.empty() && book.headings.back() >= lines))
        Fail("a heading on no line of the text");
    return 0;
}
