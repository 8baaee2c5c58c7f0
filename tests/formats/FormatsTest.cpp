#include <gtest/gtest.h>
#include <zip.h>

#include <deque>

#include "book/mdlText.h"
#include "formats/BookFormats.h"
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
        const FormattedBook book = readFormattedBook(
            BookFile(QFile::encodeName(SamplePath(c.name)).toStdString()), c.entry);
        EXPECT_EQ(std::pair(book.format, book.error), std::pair(c.format, FormatError::None));
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

}  // namespace
}  // namespace tresslin::test
