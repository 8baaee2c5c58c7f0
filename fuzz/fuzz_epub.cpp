// An EPUB made of the input: its container, its package and one content document (the first
// two taken by 16-bit lengths, the rest the document). It never crashes or leaks, fails without
// text, and a book it reads has its three head lines and headings on lines that exist.
#include <zip.h>

#include <algorithm>
#include <string>

#include "FuzzInput.h"
#include "formats/BookFormats.h"

using namespace tresslin;
using tresslin::fuzz::Fail;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput in(data, size);
    const std::string_view container = in.take(in.u16()), package = in.take(in.u16());
    const std::string_view document = in.rest();
    zip_source_t* source = zip_source_buffer_create(nullptr, 0, 0, nullptr);
    zip_source_keep(source);
    zip_t* zip = zip_open_from_source(source, ZIP_TRUNCATE, nullptr);
    const auto add = [&](const char* name, std::string_view bytes) {
        zip_file_add(zip, name, zip_source_buffer(zip, bytes.data(), bytes.size(), 0), 0);
    };
    add("mimetype", "application/epub+zip");
    add("META-INF/container.xml", container);
    add("OEBPS/content.opf", package);
    add("OEBPS/ch1.xhtml", document);
    zip_close(zip);
    std::string bytes;
    zip_stat_t stat;
    if (zip_source_stat(source, &stat) == 0 && zip_source_open(source) == 0) {
        bytes.resize(stat.size);
        bytes.resize(std::size_t(
            std::max<zip_int64_t>(0, zip_source_read(source, bytes.data(), stat.size))));
        zip_source_close(source);
    }
    zip_source_free(source);

    const FormattedBook book = readFormattedBytes(bytes);
    if (!book.ok()) {
        if (!book.text.empty()) Fail("a failure left text");
        return 0;
    }
    if (book.format != BookFormat::Epub) Fail("an EPUB read as something else");
    const auto lines = std::count(book.text.begin(), book.text.end(), '\n');
    if (lines < 3 || book.text.back() != '\n') Fail("fewer than the three head lines");
    if (!std::is_sorted(book.headings.begin(), book.headings.end()) ||
        (!book.headings.empty() && (book.headings.front() < 3 || book.headings.back() >= lines)))
        Fail("a heading on no line of the text");
    return 0;
}
