// Places as the XPointers KOReader's engine writes for a book's text, and back.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "book/TextCoding.h"
#include "book/mdlDeclarations.h"
#include "formats/BookFormats.h"

namespace tresslin {

// A place in the book: a line and a byte offset within it (the start of the part on view).
struct TextPlace {
    std::int64_t line = 0;
    std::int64_t offset = 0;
    friend bool operator==(const TextPlace&, const TextPlace&) = default;
};

// The XPointer for place, in the classic form (an index only where siblings share the name);
// where the place cannot be written exactly, its paragraph's start. Empty when none can be
// written. coding: that of a plain book's lines; without it, each line is taken as UTF-8 when
// it reads as UTF-8, else as one character a byte.
QString xpointerAt(const LineStore& lines, BookFormat format, const LineOrigins& origins,
                   TextPlace place, std::optional<TextCoding> coding = std::nullopt);

// The place an XPointer names, in either index style (classic, or [1] on every step); nothing
// when it does not match the book.
std::optional<TextPlace> placeAtXPointer(const LineStore& lines, BookFormat format,
                                         const LineOrigins& origins, const QString& xpointer,
                                         std::optional<TextCoding> coding = std::nullopt);

}  // namespace tresslin
