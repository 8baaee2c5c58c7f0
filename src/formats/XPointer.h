// Places as the XPointers KOReader's engine writes for a book's text, and back.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "book/mdlDeclarations.h"
#include "formats/BookFormats.h"

namespace tresslin {

// A place in the book: a line and a byte offset within it (the start of the part on view).
struct TextPlace {
    std::int64_t line = 0;
    std::int64_t offset = 0;
    friend bool operator==(const TextPlace&, const TextPlace&) = default;
};

// The XPointer for place; empty when none can be written for it.
QString xpointerAt(const LineStore& lines, BookFormat format, const LineOrigins& origins,
                   TextPlace place);

// The place an XPointer names; nothing when it does not match the book.
std::optional<TextPlace> placeAtXPointer(const LineStore& lines, BookFormat format,
                                         const LineOrigins& origins, const QString& xpointer);

}  // namespace tresslin
