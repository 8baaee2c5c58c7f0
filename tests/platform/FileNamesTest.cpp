#include <gtest/gtest.h>

#include "platform/FileNames.h"

using namespace tresslin;

static const std::string kCp1251Name("\xc2\xee\xe9\xed\xe0.txt");  // "Война": not UTF-8

TEST(FileNames, BytesSurviveEveryForm) {
    const BookLocation rows[] = {{"/books/plain.txt", {}},
                                 {"/книги/" + kCp1251Name, {}},
                                 {"/x/\xf7\xcf\xca\xce\xc1.txt", {}},  // KOI8-R
                                 // cut sequences, an encoded surrogate, a percent sign
                                 {"/cut\xd0/\xf0\x9f\x99/\xed\xa0\x80/100%25 \xff", {}},
                                 {"/a#b/c%.zip", "d/e#f.txt"},
                                 {"/" + kCp1251Name + ".zip", kCp1251Name + "\x01"}};
    for (const BookLocation& at : rows) {
        SCOPED_TRACE(at.file + "#" + at.entry);
        EXPECT_EQ(storedLocation(storedText(at)), at);
        EXPECT_EQ(locationFromBytes(locationBytes(at)), at);
        EXPECT_FALSE(shownText(at).contains(QChar::ReplacementCharacter));
    }
    EXPECT_EQ(storedText(rows[1]), "file:///%D0%BA%D0%BD%D0%B8%D0%B3%D0%B8/%C2%EE%E9%ED%E0.txt");
    EXPECT_EQ(shownText({"/книги/© \xf4\x8f\xbf\xbd", {}}), QString("/книги/© \U0010FFFD"));
    EXPECT_EQ(shownText(rows[1]), "/книги/Война.txt");
    EXPECT_EQ(shownName(rows[5]), "Война.txt.zip#Война.txt%01");
    // Not the archive form: a file of that name.
    for (const char* plain : {"zip:/a", "zip:/a#", "zip:#b", "zip:/a%2#b", "/zip:/a#b"})
        EXPECT_EQ(locationFromBytes(plain), (BookLocation{plain, {}})) << plain;
}
