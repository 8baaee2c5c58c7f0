// HTML's named character references for XML that declares none (EPUB's XHTML, FictionBook files
// as they circulate).
#pragma once

#include <QXmlStreamEntityResolver>

namespace tresslin {

// The character a name stands for, or 0 when HTML has no such name.
char32_t htmlEntity(QStringView name);

// Gives the reader HTML's names; a name HTML lacks stays in the text as it was written.
class HtmlEntityResolver : public QXmlStreamEntityResolver {
  public:
    QString resolveUndeclaredEntity(const QString& name) override;
};

}  // namespace tresslin
