#include <gtest/gtest.h>
#include <zip.h>

#include <QFile>

#include "TestSupport.h"
#include "formats/BookFormats.h"

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

// An archive built in memory by the library that reads it.
std::string zipOf(std::initializer_list<Entry> entries) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(out);
    zip_t* zip = zip_open_from_source(out, ZIP_TRUNCATE, &error);
    for (const Entry& e : entries) {
        const auto i = zip_file_add(zip, e.name.c_str(),
                                    zip_source_buffer(zip, e.data.data(), e.data.size(), 0), 0);
        if (e.encrypted) zip_file_set_encryption(zip, zip_uint64_t(i), ZIP_EM_TRAD_PKWARE, "pw");
    }
    zip_close(zip);
    zip_stat_t st;
    zip_source_stat(out, &st);
    std::string bytes(st.size, '\0');
    zip_source_open(out);
    zip_source_read(out, bytes.data(), st.size);
    zip_source_close(out);
    zip_source_free(out);
    return bytes;
}

struct Extraction {
    const char* name;
    std::string xml;
    std::string text;
    std::vector<std::int64_t> headings;
};

TEST(FictionBook, Extraction) {
    const std::string none = "\n\n\n";
    const Extraction cases[] = {
        {"nested sections",
         fb2("<body><section><title><p>Один</p></title><section><title><p>Два"
             "</p><empty-line/><p>2</p></title><p>a</p></section></section></body>"),
         none + "Один\nДва\n\n2\na\n",
         {3, 4}},
        {"poem",
         fb2("<body><poem><stanza><v>раз</v><v>два</v></stanza><text-author>Я"
             "</text-author></poem><empty-line/><subtitle>*</subtitle></body>"),
         none + "раз\nдва\nЯ\n\n*\n",
         {}},
        {"notes after the text, binary skipped",
         fb2("<body name=\"notes\"><title><p>N</p></title><section><title><p>1</p></title><p>n"
             "</p></section></body><binary id=\"b\"><p>x</p></binary><body><p>a<a l:href=\"#1\">"
             "[1]</a></p></body>"),
         none + "a[1]\n\nПримечания\n1\nn\n",
         {5}},
        {"inline markup and blanks",
         fb2("<body><p> \n <strong>жи</strong>вой\r\n\t <emphasis>"
             "текст</emphasis>&#10; </p><p><image/></p></body>"),
         none + "живой текст\n\n",
         {}},
        {"entities and CDATA",
         fb2("<body><p>&lt;&amp;&#1105;&#x401;<![CDATA[<b> ]]>!</p></body>"),
         none + "<&ёЁ<b> !\n",
         {}},
        {"description",
         fb2("<description><title-info><author><first-name>Иван</first-name>"
             "<last-name>Петров</last-name></author><book-title>Книга</book-title>"
             "<author><nickname>ник</nickname></author></title-info><document-info>"
             "<author><nickname>x</nickname></author></document-info></description>"),
         "Книга\nИван Петров, ник\n\n",
         {}},
        {"windows-1251",
         fb2("<body><p>\xEC\xE8\xF0</p></body>",
             "<?xml version=\"1.0\" encoding=\"windows-1251\"?>"),
         none + "мир\n",
         {}},
        {"koi8-r",
         fb2("<body><p>\xCD\xC9\xD2</p></body>", "<?xml version=\"1.0\" encoding=\"KOI8-R\"?>"),
         none + "мир\n",
         {}},
        {"cp866",
         fb2("<body><p>\xAC\xA8\xE0</p></body>", "<?xml version='1.0' encoding='cp866'?>"),
         none + "мир\n",
         {}},
        {"no coding declared",
         fb2("<body><p>мир</p></body>", "\xEF\xBB\xBF<?xml version=\"1.0\"?>"),
         none + "мир\n",
         {}},
    };
    for (const auto& c : cases) {
        const FormattedBook book = readFormattedBytes(c.xml);
        EXPECT_EQ(book.format, BookFormat::FictionBook) << c.name;
        EXPECT_EQ(book.error, FormatError::None) << c.name;
        EXPECT_EQ(book.text, c.text) << c.name;
        EXPECT_EQ(book.headings, c.headings) << c.name;
    }
}

TEST(FictionBook, InputsThatAreNotOursOrBad) {
    const std::string text = fb2("<body><p>текст</p></body>");
    const std::string zeros(400000, '0');
    std::string lying = zipOf({{"b.fb2", text}});
    // Both records of the entry claim 4 GB uncompressed.
    lying.replace(lying.find("PK\x01\x02") + 24, 4, "\xFE\xFF\xFF\xFF");
    lying.replace(22, 4, "\xFE\xFF\xFF\xFF");
    const struct {
        const char* name;
        std::string bytes;
        BookFormat format;
        FormatError error;
    } cases[] = {
        {"plain text", Cp1251("Книга\r\n"), BookFormat::PlainText, FormatError::None},
        {"other XML", "<?xml version=\"1.0\"?><html><p>x</p></html>", BookFormat::PlainText,
         FormatError::None},
        {"empty", "", BookFormat::PlainText, FormatError::None},
        {"unclosed", text.substr(0, text.size() - 3), BookFormat::FictionBook,
         FormatError::MalformedXml},
        {"undeclared entity", fb2("<body><p>&nbsp;</p></body>"), BookFormat::FictionBook,
         FormatError::MalformedXml},
        {"unknown coding", fb2("", "<?xml version=\"1.0\" encoding=\"x-none\"?>"),
         BookFormat::PlainText, FormatError::MalformedXml},
        {"zipped book in a folder", zipOf({{"d/", ""}, {"d/b.FB2", text}}), BookFormat::FictionBook,
         FormatError::None},
        {"zipped text", zipOf({{"a.TXT", "\xCA\r\n"}}), BookFormat::ZippedText, FormatError::None},
        {"zipped other", zipOf({{"a.doc", "x"}}), BookFormat::PlainText, FormatError::UnknownEntry},
        {"two files", zipOf({{"a.txt", "x"}, {"b.txt", "y"}}), BookFormat::PlainText,
         FormatError::NotOneEntry},
        {"truncated", zipOf({{"a.txt", text}}).substr(0, 60), BookFormat::PlainText,
         FormatError::BadZip},
        {"bomb", zipOf({{"a.txt", zeros}}), BookFormat::PlainText, FormatError::EntryTooLarge},
        {"size claims 4 GB", lying, BookFormat::PlainText, FormatError::EntryTooLarge},
        {"password", zipOf({{"a.txt", "x", true}}), BookFormat::PlainText,
         FormatError::EncryptedEntry},
    };
    for (const auto& c : cases) {
        const FormattedBook book = readFormattedBytes(c.bytes);
        EXPECT_EQ(book.format, c.format) << c.name;
        EXPECT_EQ(book.error, c.error) << c.name;
    }
    EXPECT_EQ(readFormattedBytes(zipOf({{"a.txt", "\xCA\r\n"}})).text, "\xCA\r\n");
}

TEST(FictionBook, SamplesReadAlikeInEveryForm) {
    const FormattedBook utf8 =
        readFormattedBook(QFile::encodeName(SamplePath("kniga-utf8.fb2")).toStdString());
    ASSERT_TRUE(utf8.ok());
    // Title, author, a blank, the body's title, then the first chapter.
    EXPECT_EQ(utf8.text.substr(0, utf8.text.find("\nГЛАВА ПЕРВАЯ")),
              "Три зимы на дальнем мысу\nАвторы Tresslin\n\nТРИ ЗИМЫ НА ДАЛЬНЕМ МЫСУ\n"
              "Небольшая повесть для тихого вечернего чтения");
    for (const char* name : {"kniga-cp1251.fb2", "kniga.fb2.zip"}) {
        const FormattedBook other =
            readFormattedBook(QFile::encodeName(SamplePath(name)).toStdString());
        EXPECT_EQ(other.format, BookFormat::FictionBook) << name;
        EXPECT_EQ(other.headings, utf8.headings) << name;
        EXPECT_EQ(other.text.size() - other.text.find("\nГЛАВА ЧЕТВЁРТАЯ"),
                  utf8.text.size() - utf8.text.find("\nГЛАВА ЧЕТВЁРТАЯ"))
            << name;
    }
    for (const QString& plain :
         {SamplePath("kniga-utf8.txt"), SamplePath(".."), QString("/nonexistent")})
        EXPECT_EQ(readFormattedBook(QFile::encodeName(plain).toStdString()).format,
                  BookFormat::PlainText);
}

}  // namespace
}  // namespace tresslin::test
