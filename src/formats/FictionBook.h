// The XML half of the formats reader.
#pragma once

#include <QByteArrayView>

#include "formats/BookFormats.h"

class QIODevice;

namespace tresslin {

// Reads an XML document from device. PlainText when it is no XML whose root is FictionBook;
// head is the device's first bytes, to recognise a FictionBook whose prolog the parser rejects.
FormattedBook readFictionBook(QIODevice& device, QByteArrayView head);

}  // namespace tresslin
