#include <gtest/gtest.h>
#include <zip.h>

#include <deque>

#include "book/mdlText.h"
#include "formats/BookFormats.h"
#include "formats/XPointer.h"
#include "support/TestSupport.h"

namespace tresslin::test {
namespace {

std::string fb2(std::string_view inner, std::string_view decl = "<?xml version=\"1.0\"?>") {
    return std::string(decl) + "<FictionBook xmlns:l=\"http://www.w3.org/1999/xlink\">" +
           std::string(inner) + "</FictionBook>";
}

struct Entry {
    std::string name, data;
    bool encrypted = false;
};

// An archive made by the library that reads it.
std::string zipOf(std::initializer_list<Entry> entries) {
    TempBooks dir;
    zip_t* zip = zip_open(QFile::encodeName(dir.path("b.zip")).constData(), ZIP_CREATE, nullptr);
    for (const Entry& e : entries) {
        const auto i = zip_file_add(zip, e.name.c_str(),
                                    zip_source_buffer(zip, e.data.data(), e.data.size(), 0), 0);
        if (e.encrypted) zip_file_set_encryption(zip, zip_uint64_t(i), ZIP_EM_TRAD_PKWARE, "pw");
    }
    zip_close(zip);
    return FileBytes(dir.path("b.zip")).toStdString();
}

// The archive with both records of its one entry claiming size bytes uncompressed.
std::string claiming(std::string zip, std::uint32_t size) {
    const char le[] = {char(size), char(size >> 8), char(size >> 16), char(size >> 24)};
    zip.replace(zip.find("PK\x01\x02") + 24, 4, le, 4);
    zip.replace(22, 4, le, 4);
    return zip;
}

TEST(FictionBook, Extraction) {
    // Notes and a picture ahead of the main text, and the description after it: the order of
    // the lines is fixed whatever the order in the file.
    const FormattedBook book = readFormattedBytes(fb2(
        "<body name=\"notes\"><title><p>N</p></title><section><title><p>1</p></title><p>n</p>"
        "</section></body><binary id=\"b\"><p>x</p></binary><body><section><title><p>Один</p>"
        "</title><section><title><p>Два</p><empty-line/></title><p> \n <strong>жи</strong>вой\r\n"
        "\t <emphasis>текст</emphasis>&#10; <a l:href=\"#1\">[1]</a></p><p><image/></p></section>"
        "<poem><title><p>Стих</p></title><stanza><v>раз</v><v>&lt;&amp;&#1105;&#x401;<![CDATA[<b>"
        " ]]>!</v></stanza><text-author>Я</text-author></poem><subtitle>*</subtitle></section>"
        "</body><description><title-info><author><first-name>Иван</first-name><last-name>Петров"
        "</last-name></author><book-title>Книга</book-title><author><nickname>ник</nickname>"
        "</author></title-info><document-info><author><nickname>x</nickname></author>"
        "</document-info></description>"));
    EXPECT_EQ(book.text,
              "Книга\nИван Петров, ник\n\nОдин\nДва\n\nживой текст [1]\n\nСтих\nраз\n<&ёЁ<b> !\n"
              "Я\n*\n\nПримечания\n1\nn\n");
    EXPECT_EQ(book.headings, (std::vector<std::int64_t>{3, 4, 8, 14}));
}

TEST(FictionBook, DeclaredCodingsAndBlankRuns) {
    const std::pair<const char*, const char*> cases[] = {
        {"<?xml version=\"1.0\" encoding=\"windows-1251\"?>", "\xEC\xE8\xF0  <b>x</b>"},
        {"<?xml version=\"1.0\" encoding=\"KOI8-R\"?>", "\xCD\xC9\xD2<b></b> \t x"},
        {"<?xml version='1.0' encoding='cp866'?>", "\xAC\xA8\xE0 <b> x</b>"},
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?>", "  мир  <b>x</b>  "},
    };
    for (const auto& [decl, p] : cases)
        EXPECT_EQ(readFormattedBytes(fb2("<body><p>" + std::string(p) + "</p></body>", decl)).text,
                  "\n\n\nмир x\n")
            << decl;
}

const std::string kOle("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0\0\0", 12);
const std::string kPng("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\x08\x06\0\0\0", 29);

TEST(FictionBook, InputsThatAreNotOursOrBad) {
    const std::string text = fb2("<body><p>текст</p></body>");
    const std::string zeros(400000, '0');
    const std::string small = zipOf({{"a.txt", "x"}});
    const auto packed = std::uint8_t(small[18]);  // the compressed size, a few bytes
    using F = BookFormat;
    using E = FormatError;
    const struct {
        std::string bytes;
        BookFormat format;
        FormatError error;
    } cases[] = {
        {Cp1251("Книга\r\n"), F::PlainText, E::None},
        {"<?xml version=\"1.0\"?><html><p>x</p></html>", F::PlainText, E::None},
        {"", F::PlainText, E::None},
        {"<?xml version=\"1.0\"?><FictionBook><body>", F::FictionBook, E::MalformedXml},
        {zipOf({{"d/", ""}, {"d/b.FB2", text}}), F::FictionBook, E::None},
        {zipOf({{"a.TXT", "\xCA\r\n"}}), F::ZippedText, E::None},
        {zipOf({{"a.doc", kOle}}), F::PlainText, E::UnknownEntry},
        {zipOf({{"a.txt", "x"}, {"b.txt", ""}}), F::PlainText, E::SeveralBooks},
        {zipOf({{"a.doc", kOle}, {"b.jpg", ""}}), F::PlainText, E::NotOneEntry},
        {zipOf({{"a.txt", text}}).substr(0, 60), F::PlainText, E::BadZip},
        {zipOf({{"a.txt", zeros}}), F::PlainText, E::EntryTooLarge},
        {claiming(zipOf({{"b.fb2", text}}), 0xFFFFFFFE), F::PlainText, E::EntryTooLarge},
        {claiming(small, 200 * packed + 1), F::PlainText, E::EntryTooLarge},
        {claiming(small, 200 * packed), F::PlainText, E::BadZip},  // allowed, then found short
        {zipOf({{"a.txt", "x", true}}), F::PlainText, E::EncryptedEntry},
    };
    for (const auto& c : cases) {
        const FormattedBook book = readFormattedBytes(c.bytes);
        EXPECT_EQ(std::pair(book.format, book.error), std::pair(c.format, c.error)) << &c - cases;
    }
    EXPECT_EQ(readFormattedBytes(zipOf({{"a.txt", "\xCA\r\n"}})).text, "\xCA\r\n");
}

// What an archive's entry is comes from its first bytes, whatever its name.
TEST(FictionBook, ArchivedBooksFoundByContent) {
    const std::string a = fb2("<body><p>Первая</p></body>"), b = fb2("<body><p>Вторая</p></body>");
    const std::string note = Cp1251("Записка\r\n");
    const std::string several = zipOf({{"a.fb2.xml", a}, {"b.fb2.xml", b}, {"c.png", kPng}});
    const FormattedBook list = readFormattedBytes(several);
    ASSERT_EQ(list.error, FormatError::SeveralBooks);
    ASSERT_EQ(list.books.size(), 2u);
    EXPECT_EQ(list.books[0].name + " " + list.books[1].name, "a.fb2.xml b.fb2.xml");
    EXPECT_EQ(readFormattedBytes(several, "b.fb2.xml").text, "\n\n\nВторая\n");
    EXPECT_EQ(readFormattedBytes(several, "c.png").error, FormatError::UnknownEntry);
    const std::pair<std::string, std::string> one[] = {
        {zipOf({{"x.fb2.xml", a}}), "\n\n\nПервая\n"},
        {zipOf({{"cover.txt", kPng}, {"book.xml", b}}), "\n\n\nВторая\n"},
        {zipOf({{"index.html", "<html><p>x</p></html>"}, {"note", note}, {"c.jpg", kOle}}), note},
    };
    for (const auto& [zip, text] : one) EXPECT_EQ(readFormattedBytes(zip).text, text);
}

TEST(FictionBook, AsFoundInTheWild) {
    const std::pair<std::string, std::string> cases[] = {
        {fb2("<description><title-info><book-title>A & B &Version;</book-title></title-info>"
             "</description><body><p>x&nbsp;y &mdash; z &amp;c</p></body>"),
         "A & B &Version;\n\n\nx\u00A0y — z &c\n"},
        {fb2("<body><p>a</p><?><p>b</p></body>"), "\n\n\na\nb\n"},
        {fb2("<body><p>a<b>c</p><p>d</p></body>"), "\n\n\nacd\n"},
        {fb2("<body><p>a</p></body><body name=\"comments\"><p>c</p></body>"),
         "\n\n\na\n\nПримечания\nc\n"},
        {fb2("<body><p>" + Cp1251("Мир вам, добрые люди, и всем привет от нас") + "</p></body>",
             ""),
         "\n\n\nМир вам, добрые люди, и всем привет от нас\n"},
    };
    for (const auto& [in, out] : cases) {
        const FormattedBook book = readFormattedBytes(in);
        EXPECT_TRUE(book.ok()) << in;
        EXPECT_EQ(book.text, out) << in;
    }
}

TEST(FictionBook, BareAmpersandsMendedOnce) {
    // As found in files of the big online libraries: bare '&' in the title and the text.
    const std::string book =
        fb2(Cp1251("<description><title-info><author><first-name>Иван</first-name><last-name>"
                   "Петров&Сын</last-name></author><book-title>Путешествуя с GPS&Palm&сотовый "
                   "телефон или Мобильное трио</book-title></title-info></description><body><p>"
                   "AT&T & Co &&amp; &1 &#1105; &lt;</p><p>R&D;</p><p>конец</p></body>"),
            "<?xml version=\"1.0\" encoding=\"windows-1251\"?>");
    const FormattedBook read = readFormattedBytes(book);
    EXPECT_TRUE(read.ok());
    EXPECT_EQ(read.text,
              "Путешествуя с GPS&Palm&сотовый телефон или Мобильное трио\nИван Петров&Сын\n\n"
              "AT&T & Co && &1 ё <\nR&D;\nконец\n");
}

// An EPUB of the given package (inside <package>) and documents under OEBPS/.
std::string epub(std::string_view package, std::initializer_list<Entry> documents,
                 std::string_view mimetype = "application/epub+zip") {
    TempBooks dir;
    zip_t* zip = zip_open(QFile::encodeName(dir.path("b.epub")).constData(), ZIP_CREATE, nullptr);
    std::deque<std::string> keep;  // libzip reads the data at zip_close; a deque never moves it
    const auto add = [&](std::string name, std::string data) {
        keep.push_back(std::move(data));
        zip_file_add(zip, name.c_str(),
                     zip_source_buffer(zip, keep.back().data(), keep.back().size(), 0), 0);
    };
    add("META-INF/container.xml",
        "<container><rootfiles><rootfile full-path=\"OEBPS/p.opf\"/></rootfiles></container>");
    add("OEBPS/p.opf", "<package xmlns:dc=\"http://purl.org/dc/elements/1.1/\">" +
                           std::string(package) + "</package>");
    for (const Entry& e : documents)
        add(e.name.starts_with("META-INF") ? e.name : "OEBPS/" + e.name, e.data);
    add("mimetype", std::string(mimetype));
    zip_close(zip);
    return FileBytes(dir.path("b.epub")).toStdString();
}

TEST(Epub, Extraction) {
    const std::string meta =
        "<metadata><dc:title>Книга</dc:title><dc:creator>А. Один</dc:creator><dc:creator>Б. Два"
        "</dc:creator></metadata><manifest><item id=\"c1\" href=\"c%201.xhtml\"/>"
        "<item id=\"c2\" href=\"t/../c2.xhtml\"/><item id=\"n\" href=\"nav.xhtml\" "
        "properties=\"nav\"/><item id=\"x\" href=\"toc.ncx\"/><item id=\"out\" "
        "href=\"../../etc/passwd\"/><item id=\"gone\" href=\"gone.xhtml\"/></manifest>";
    const Entry c1{"c 1.xhtml",
                   "<!DOCTYPE html><html><head><title>T</title><style>s</style></head><body>"
                   "<h1>Глава 1</h1><p>Один&nbsp;<b>два</b>&mdash;</p><div>текст<br/>дальше"
                   "<img src=\"i.png\"/></div><ul><li>пункт</li></ul><pre>a\n b</pre><script>x"
                   "</script><blockquote><p>цитата</p></blockquote><dl><dt>т</dt><dd>д</dd></dl>"
                   "</body></html>"};
    const Entry c2{"c2.xhtml",
                   "<html><body><p>пред</p><h2 id=\"s2\">Глава 2</h2><p>конец</p>"
                   "<h3>Не глава</h3></body></html>"};
    const Entry nav{"nav.xhtml",
                    "<html xmlns:epub=\"http://www.idpf.org/2007/ops\"><body><nav epub:type="
                    "\"landmarks\"><a href=\"c2.xhtml\">x</a></nav><nav epub:type=\"toc\"><ol>"
                    "<li><a href=\"c%201.xhtml\">1</a></li><li><a href=\"c2.xhtml#s2\">2</a>"
                    "</li></ol></nav></body></html>"};
    const Entry ncx{"toc.ncx",
                    "<ncx><navMap><navPoint><content src=\"c2.xhtml\"/></navPoint>"
                    "</navMap></ncx>"};
    const std::string text =
        "Книга\nА. Один, Б. Два\n\nГлава 1\nОдин\u00A0два—\nтекст\nдальше\nпункт\na\nb\n"
        "цитата\nт\nд\nпред\nГлава 2\nконец\nНе глава\n";
    const std::string spine =
        "<spine toc=\"x\"><itemref idref=\"out\"/><itemref idref=\"c1\"/><itemref "
        "idref=\"gone\"/><itemref idref=\"c2\"/></spine>";
    const struct {
        std::string bytes;
        std::vector<std::int64_t> headings;
    } cases[] = {
        // EPUB 3: the navigation document's table of contents, a fragment to its line.
        {epub(meta + spine, {c1, c2, nav, ncx}), {3, 14}},
        // EPUB 2: the NCX (here, as the navigation document is missing).
        {epub(meta + spine, {c1, c2, ncx}), {13}},
        // Neither: h1 to h3.
        {epub(meta + "<spine>" + spine.substr(18), {c1, c2}), {3, 14, 16}},
    };
    for (const auto& c : cases) {
        const FormattedBook book = readFormattedBytes(c.bytes);
        EXPECT_EQ(std::pair(book.format, book.error),
                  std::pair(BookFormat::Epub, FormatError::None));
        EXPECT_EQ(book.text, text);
        EXPECT_EQ(book.headings, c.headings);
    }
}

TEST(Epub, BadBooks) {
    const std::string manifest = "<manifest><item id=\"c\" href=\"c.xhtml\"/></manifest>";
    const Entry doc{"c.xhtml", "<html><body><p>x</p></body></html>"};
    const Entry drm{"META-INF/encryption.xml",
                    "<encryption><EncryptedData><EncryptionMethod Algorithm=\"http://www.w3.org/"
                    "2001/04/xmlenc#aes128-cbc\"/></EncryptedData></encryption>"};
    const Entry font{"META-INF/encryption.xml",
                     "<encryption><EncryptedData><EncryptionMethod Algorithm=\"http://www.idpf."
                     "org/2008/embedding\"/></EncryptedData></encryption>"};
    const std::string spine = "<spine><itemref idref=\"c\"/></spine>";
    using E = FormatError;
    const std::pair<std::string, FormatError> cases[] = {
        {epub(manifest + spine, {doc, font}), E::None},
        {epub(manifest + spine, {doc, drm}), E::EncryptedEntry},
        {epub(manifest, {doc}), E::MalformedXml},
        {epub(manifest + spine, {}), E::MalformedXml},
        {epub(manifest + spine, {{"c.xhtml", std::string(300000, ' ')}}), E::EntryTooLarge},
    };
    for (const auto& [bytes, error] : cases) EXPECT_EQ(readFormattedBytes(bytes).error, error);
    // Not an EPUB by its mimetype: an archive of one book and other files.
    EXPECT_EQ(readFormattedBytes(epub(manifest + spine, {doc}, "text/plain")).error,
              E::NotOneEntry);
}

TEST(Samples, EachOpensWithItsTitleAndChapters) {
    using F = BookFormat;
    const std::vector<std::int64_t> fb2Titles{3, 5, 23, 42, 71, 85, 104, 117};
    const std::vector<std::int64_t> epubChapters{5, 18, 37, 66, 80, 99};
    const struct {
        const char* name;
        const char* entry;
        BookFormat format;
        std::int64_t lines;
        std::vector<std::int64_t> headings;
    } cases[] = {
        {"kniga-epub3.epub", "", F::Epub, 111, epubChapters},
        {"kniga-epub2.epub", "", F::Epub, 111, epubChapters},
        {"kniga-as-found.fb2", "", F::FictionBook, 120, fb2Titles},
        {"kniga.fb2.gz", "", F::FictionBook, 120, fb2Titles},
        {"kniga-two.zip", "kniga-utf8.fb2", F::FictionBook, 120, fb2Titles},
        {"kniga-two.zip", "kniga-cp1251.txt", F::ZippedText, 358, {}},
        {"kniga-utf16le.txt", "", F::Utf16Text, 358, {}},
    };
    const std::string utf8 = FileBytes(SamplePath("kniga-utf8.txt")).toStdString();
    for (const auto& c : cases) {
        const BookFile file(QFile::encodeName(SamplePath(c.name)).toStdString());
        FormattedBook book = readFormattedBook(file, c.entry);
        EXPECT_EQ(std::pair(book.format, book.error), std::pair(c.format, FormatError::None));
        // A UTF-16 file is left for the loader to read into lines.
        LineStore lines;
        if (book.utf16File != Utf16Order::None && ReadUtf16BookLines(file, book.utf16File, lines))
            book.text.assign(lines.data(), lines.byteSize());
        EXPECT_EQ(std::count(book.text.begin(), book.text.end(), '\n'), c.lines) << c.name;
        EXPECT_EQ(book.headings, c.headings) << c.name;
        EXPECT_TRUE(c.format != F::Utf16Text || book.text == utf8);
        EXPECT_TRUE(!heldAsUtf8(c.format) || c.format == F::Utf16Text ||
                    book.text.starts_with("Три зимы на дальнем мысу\nАвторы Tresslin\n\n"))
            << c.name;
    }
    const FormattedBook list =
        readFormattedBook(BookFile(QFile::encodeName(SamplePath("kniga-two.zip")).toStdString()));
    ASSERT_EQ(list.error, FormatError::SeveralBooks);
    ASSERT_EQ(list.books.size(), 2u);
    EXPECT_EQ(list.books[1].name + " " + std::to_string(list.books[1].size),
              "kniga-cp1251.txt 16785");
}

// ---- Places as KOReader's XPointers ----

struct PlaceCase {
    TextPlace place;
    std::string xpointer;  // as the engine writes it, worked out by hand from the markup
    TextPlace back;        // where it leads back to: the place, or its paragraph's start
};

// Each place to its XPointer and back; then foreign XPointers, each to where it leads (or
// nowhere: line -1).
void checkPlaces(const FormattedBook& book, const std::vector<PlaceCase>& cases,
                 const std::vector<std::pair<std::string, TextPlace>>& read,
                 std::optional<TextCoding> coding = std::nullopt) {
    LineStore lines;
    ASSERT_TRUE(book.format == BookFormat::PlainText || book.ok());
    ASSERT_TRUE(splitBookLines(book.text, lines));
    for (const PlaceCase& c : cases) {
        const QString x = xpointerAt(lines, book.format, book.origins, c.place, coding);
        EXPECT_EQ(x.toStdString(), c.xpointer) << c.place.line << ":" << c.place.offset;
        EXPECT_EQ(placeAtXPointer(lines, book.format, book.origins, x, coding), c.back)
            << c.xpointer;
    }
    for (const auto& [x, to] : read) {
        const auto got =
            placeAtXPointer(lines, book.format, book.origins, QString::fromStdString(x), coding);
        if (to.line < 0) {
            EXPECT_FALSE(got) << x;
        } else {
            EXPECT_EQ(got, to) << x;
        }
    }
}

constexpr TextPlace kNowhere{-1, 0};

TEST(XPointer, FictionBook) {
    const FormattedBook book = readFormattedBytes(
        fb2("<description><title-info><book-title>T</book-title></title-info></description>"
            "<body><title><p>Book</p></title>"
            "<section><title><p>One</p></title><p>First para</p>"
            "<p>Second <emphasis>big</emphasis> tail</p></section>"
            "<section><section><p>Nested only</p></section>"
            "<section><empty-line/><p>A</p><p>\n  Ж ж ж  word </p>"
            "<poem><stanza><v>Line</v></stanza></poem></section></section></body>"
            "<binary id=\"i\">AAAA</binary><body name=\"notes\"><title><p>N</p></title>"
            "<section id=\"n1\"><p>Note one</p></section></body>"));
    ASSERT_EQ(book.text,
              "T\n\n\nBook\nOne\nFirst para\nSecond big tail\nNested only\n\nA\n"
              "Ж ж ж word\nLine\n\nПримечания\nNote one\n");
    const std::string s1 = "/FictionBook/body[1]/section[1]/",
                      s22 = "/FictionBook/body[1]/section[2]/section[2]/";
    checkPlaces(book,
                {{{0, 0}, "/FictionBook/body[1]/title/p/text().0", {3, 0}},
                 {{4, 0}, s1 + "title/p/text().0", {4, 0}},
                 {{5, 6}, s1 + "p[1]/text().6", {5, 6}},
                 {{6, 3}, s1 + "p[2]/text()[1].3", {6, 3}},
                 // In the emphasis and past it: the paragraph's start.
                 {{6, 7}, s1 + "p[2]/text()[1].0", {6, 0}},
                 {{6, 11}, s1 + "p[2]/text()[1].0", {6, 0}},
                 {{7, 7}, "/FictionBook/body[1]/section[2]/section[1]/p/text().7", {7, 7}},
                 {{8, 0}, s22 + "p[1]/text().0", {9, 0}},
                 {{10, 9}, s22 + "p[2]/text().6", {10, 9}},
                 {{11, 2}, s22 + "poem/stanza/v/text().2", {11, 2}},
                 {{13, 0}, "/FictionBook/body[2]/section/p/text().0", {14, 0}},
                 {{14, 5}, "/FictionBook/body[2]/section/p/text().5", {14, 5}},
                 {{99, 0}, "/FictionBook/body[2]/section/p/text().0", {14, 0}}},
                {{"/FictionBook[1]/body[1]/section[2]/section[2]/p[2]/text()[1].6", {10, 9}},
                 {s22 + "p[2]/text().99", {10, 13}},
                 {s1 + "p[2]/emphasis/text().1", {6, 0}},
                 {"/FictionBook/body[1]/section[2].0", {7, 0}},
                 {"/FictionBook/body/section[2]/section[1]/p/text().1", {7, 1}},
                 {"/FictionBook/body[1]/section[3]/p/text().0", kNowhere},
                 {"/FictionBook/body[3]", kNowhere},
                 {"/body/DocFragment[1]/body/p/text().0", kNowhere},
                 {s1 + "p[0]/text().0", kNowhere},
                 {s1 + "p[2]/text()/b", kNowhere},
                 {"#n1", kNowhere},
                 {"", kNowhere}});
}

TEST(XPointer, Epub) {
    const std::string package =
        "<manifest><item id=\"a\" href=\"a.xhtml\"/><item id=\"b\" href=\"b.xhtml\"/></manifest>"
        "<spine><itemref idref=\"a\"/><itemref idref=\"gone\"/><itemref idref=\"b\"/></spine>";
    const FormattedBook book = readFormattedBytes(epub(
        package, {{"a.xhtml",
                   "<html><head><title>x</title></head><body><div><div><p>Alpha</p>"
                   "<p>Beta<br/>Gamma ray</p></div></div><p>Delta</p></body></html>"},
                  {"b.xhtml",
                   "<html><body><section><h1>Two</h1><div>Lead <b>bold</b><p>Inner</p>tail</div>"
                   "<pre>x\ny</pre></section></body></html>"}}));
    ASSERT_EQ(book.text,
              "\n\n\nAlpha\nBeta\nGamma ray\nDelta\nTwo\nLead bold\nInner\ntail\nx\ny\n");
    const std::string a = "/body/DocFragment[1]/body/", b = "/body/DocFragment[2]/body/section/";
    checkPlaces(book,
                {{{3, 2}, a + "div/div/p[1]/text().2", {3, 2}},
                 {{4, 1}, a + "div/div/p[2]/text()[1].1", {4, 1}},
                 {{5, 6}, a + "div/div/p[2]/text()[2].6", {5, 6}},
                 {{6, 0}, a + "p/text().0", {6, 0}},
                 {{7, 1}, b + "h1/text().1", {7, 1}},
                 {{8, 2}, b + "div/text()[1].2", {8, 2}},
                 {{8, 5}, b + "div/text()[1].0", {8, 0}},
                 {{9, 0}, b + "div/p/text().0", {9, 0}},
                 {{10, 2}, b + "div/text()[2].2", {10, 2}},
                 {{11, 0}, b + "pre.0", {11, 0}}},
                {{"/body[1]/DocFragment[1]/body[1]/div[1]/div[1]/p[2]/text()[2].6", {5, 6}},
                 {"/body/DocFragment[2]/body.0", {7, 0}},
                 {a + "div/div/p[2]/b/text().0", {4, 0}},
                 {"/body/DocFragment[3]/body/p/text().0", kNowhere},
                 {"/FictionBook/body/p/text().0", kNowhere}});
}

TEST(XPointer, PlainText) {
    // Of 2,000 characters (1,000 of them two bytes) the cut comes after the blank that makes
    // the count 2,000.
    std::string piece;
    for (int i = 0; i < 1000; ++i) piece += "ж";
    piece += std::string(999, 'y') + " ";
    FormattedBook book;
    book.text = "Title\n\n  indented line\r\n \t \n" + piece + "rest of it\n----\nlast ж word\n";
    const std::string pre = "/FictionBook/body/pre";
    const std::int64_t rest = std::int64_t(piece.size());
    const std::vector<PlaceCase> cases = {{{0, 1}, pre + "[1]/text().1", {0, 1}},
                                          {{1, 0}, pre + "[2]/text().0", {2, 0}},
                                          {{2, 2}, pre + "[2]/text().2", {2, 2}},
                                          {{3, 1}, pre + "[3]/text().0", {4, 0}},
                                          {{4, 2000}, pre + "[3]/text().1000", {4, 2000}},
                                          {{4, rest}, pre + "[4]/text().0", {4, rest}},
                                          {{4, rest + 3}, pre + "[4]/text().3", {4, rest + 3}},
                                          {{5, 2}, pre + "[5]/text().0", {5, 0}},
                                          {{6, 8}, pre + "[6]/text().7", {6, 8}}};
    const std::vector<std::pair<std::string, TextPlace>> read = {
        {"/FictionBook[1]/body[1]/pre[6]/text()[1].7", {6, 8}},
        {"/FictionBook/body/pre[4].0", {4, rest}},
        {pre + "[7]/text().0", kNowhere},
        {"/FictionBook/body/p[1]/text().0", kNowhere},
        {"/FictionBook/body/pre[1]/text()[2].0", kNowhere}};
    checkPlaces(book, cases, read);
    checkPlaces(book, cases, read, kUtf8);
    // 8-bit: a character a byte, told or guessed.
    FormattedBook cp1251;
    cp1251.text = "Title\n\nlast \xE6 word\n";
    checkPlaces(cp1251, {{{2, 7}, pre + "[2]/text().7", {2, 7}}}, {});
    checkPlaces(cp1251, {{{2, 7}, pre + "[2]/text().7", {2, 7}}}, {}, kWindowsCyrillic);
    FormattedBook one;
    one.text = "\n only\n";
    checkPlaces(one, {{{0, 0}, pre + "/text().0", {1, 0}}}, {{pre + "[1]/text().1", {1, 1}}});
}

}  // namespace
}  // namespace tresslin::test
