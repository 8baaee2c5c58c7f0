#include <gtest/gtest.h>

#include "platform/FileNames.h"

using namespace tresslin;

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
    EXPECT_EQ(pathFromBytes("/книги/© \xf4\x8f\xbf\xbd"), QString("/книги/© \U0010FFFD"));
    EXPECT_EQ(readablePath(pathFromBytes("/книги/" + kCp1251Name)), "/книги/Война.txt");
}
