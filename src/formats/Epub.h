// EPUB 2 and 3: the package's spine read in order into UTF-8 lines, as a FictionBook is.
#pragma once

#include "formats/BookFormats.h"

namespace tresslin {

class ZipArchive;

// The archive's "mimetype" entry says it is an EPUB, wherever that entry stands.
bool isEpub(ZipArchive& zip);

// Line 1 the title, line 2 the authors, an empty line, then the text of the spine's documents;
// the headings are those the table of contents points at, else h1 to h3.
FormattedBook readEpub(ZipArchive& zip);

}  // namespace tresslin
