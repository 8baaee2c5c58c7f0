#include <QFile>
#include <cstdio>
#include <fstream>

#include "ViewerFixture.h"
#include "viewer/FileNames.h"

using namespace tresslin;
using namespace tresslin::test;

static const QByteArray kCp1251Name("\xc2\xee\xe9\xed\xe0.txt");  // "Война": not UTF-8

TEST(FileNames, BytesSurviveEveryForm) {
    const QByteArray rows[] = {"/books/plain.txt", "/книги/" + kCp1251Name,
                               "/x/\xf7\xcf\xca\xce\xc1.txt",  // KOI8-R
                               // cut sequences, an encoded surrogate, a percent sign
                               "/cut\xd0/\xf0\x9f\x99/\xed\xa0\x80/100%25 \xff"};
    for (const QByteArray& bytes : rows) {
        const QString path = pathFromBytes(bytes);
        EXPECT_EQ(pathBytes(path), bytes) << bytes.toHex().constData();
        EXPECT_EQ(pathBytes(pathFromStored(storedPath(path))), bytes) << bytes.toHex().constData();
        EXPECT_FALSE(readablePath(path).contains(QChar::ReplacementCharacter));
    }
    EXPECT_EQ(storedPath("/книги/война.txt"), "/книги/война.txt");
    EXPECT_EQ(readablePath(pathFromBytes("/книги/" + kCp1251Name)), "/книги/Война.txt");
}

using FileNameBooks = ViewerTest;

TEST_F(FileNameBooks, NonUtf8NameOpensAndReopensAfterARestart) {
    const QByteArray bytes = QFile::encodeName(books.folder()) + '/' + kCp1251Name;
    std::ofstream(bytes.constData(), std::ios::binary) << NumberedBook(4);
    window->Form_Load({pathFromBytes(bytes)});
    press("Down Esc");
    settings::resetForTests();  // read the file again, as the next run does
    makeWindow();
    window->Form_Load({});
    press("Ctrl+G");
    EXPECT_EQ(caption(), "Война.txt  line: 2  (33.33%)");
    prompts.openAnswers = {QFile::decodeName(bytes)};  // decoded as UTF-8: U+FFFD in its place
    press("Home Ctrl+O");
    EXPECT_EQ(caption(), "Война.txt  line: 1  (0.00%)");
    std::remove(bytes.constData());  // QTemporaryDir cannot remove a name it cannot decode
}
