// Chapter headings, for stepping through a book by chapter.
#pragma once

#include <cstdint>
#include <string_view>

#include "book/TextCoding.h"
#include "book/mdlDeclarations.h"

namespace tresslin {

// Whether one line, as stored in the coding given, reads as a chapter heading: at most 80
// characters once blanks are trimmed, and "Глава 5", "ГЛАВА ПЯТАЯ", "Часть вторая", "Chapter 12",
// "Part II" (each may go on with a title after a period, colon or dash), "Пролог", "Эпилог", a
// Roman numeral or a number alone
// ("XIV", "12", "12."), or a row of at least three asterisks ("* * *"). Case does not matter,
// except that a Roman numeral alone is in capitals.
bool isChapterHeading(std::string_view raw, TextCoding coding);

// The first line after line from that is a heading standing alone: the book's start or an
// empty line before it, an empty line or the book's end after it (a line of blanks counts as
// empty). -1 when there is none. Lines are looked at by their offsets; only short lines that
// stand alone are read as text, and a line of more than 1 KB as stored is never a heading.
std::int64_t nextChapterHeading(const LineStore& lines, std::int64_t from, TextCoding coding);
// The last such heading before line from; -1 when there is none.
std::int64_t prevChapterHeading(const LineStore& lines, std::int64_t from, TextCoding coding);

}  // namespace tresslin
