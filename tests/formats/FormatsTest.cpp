#include <gtest/gtest.h>
#include <zip.h>

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
        {zipOf({{"a.doc", "x"}}), F::PlainText, E::UnknownEntry},
        {zipOf({{"a.txt", "x"}, {"b.txt", ""}}), F::PlainText, E::SeveralBooks},
        {zipOf({{"a.doc", "x"}, {"b.jpg", ""}}), F::PlainText, E::NotOneEntry},
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

}  // namespace
}  // namespace tresslin::test
