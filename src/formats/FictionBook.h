// The XML half of the formats reader.
#pragma once

#include <QByteArrayView>
#include <QString>

#include "formats/BookFormats.h"

class QIODevice;

namespace tresslin {

// Reads an XML document from device. PlainText when it is no XML whose root is FictionBook;
// head is the device's first bytes, to recognise a FictionBook whose prolog the parser rejects.
FormattedBook readFictionBook(QIODevice& device, QByteArrayView head);

// The text with every '&' that starts no reference written as "&amp;"; comments, CDATA sections,
// processing instructions and a document type's internal subset stay as they are. A well-formed
// document comes back unchanged, and a mended one mends to itself.
QString mendBareAmpersands(QStringView text);

}  // namespace tresslin
