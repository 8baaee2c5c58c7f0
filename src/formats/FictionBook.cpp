#include "formats/FictionBook.h"

#include "formats/HtmlEntities.h"
#include "formats/LineWriter.h"

#include <QIODevice>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <algorithm>

#include "book/CodingDetect.h"
#include "book/mdlFiles.h"

namespace tresslin {

namespace {

// Elements whose flattened content is one line of the book.
bool isLineElement(QStringView name) {
    return name == u"p" || name == u"v" || name == u"subtitle" || name == u"text-author" ||
           name == u"date" || name == u"td" || name == u"th";
}

bool isNamePart(QStringView name) {
    return name == u"first-name" || name == u"middle-name" || name == u"last-name";
}

class Extractor {
  public:
    explicit Extractor(QIODevice& device) : xml_(&device) {
        // The text is a little smaller than its markup when both are UTF-8.
        if (!device.isSequential()) mainText_.reserve(std::size_t(device.size()));
        xml_.setEntityResolver(&entities_);
    }
    explicit Extractor(const QString& text) : xml_(text) { xml_.setEntityResolver(&entities_); }

    const QXmlStreamReader& reader() const { return xml_; }

    // False when the document's first element is not FictionBook (or there is none).
    bool atFictionBookRoot() {
        while (!xml_.atEnd() && xml_.readNext() != QXmlStreamReader::StartElement) {
        }
        return !xml_.hasError() && xml_.isStartElement() && xml_.name() == u"FictionBook";
    }

    FormatError extract(FormattedBook& book) {
        if (!read()) return FormatError::MalformedXml;
        assemble(book);
        return FormatError::None;
    }

    // Reads on to the end or to the first fault; false at a fault.
    bool read() {
        int depth = 1;
        while (!xml_.atEnd()) {
            switch (xml_.readNext()) {
                case QXmlStreamReader::StartElement:
                    // A skipped element's end has been read with it.
                    if (!startElement(++depth)) --depth;
                    break;
                case QXmlStreamReader::EndElement:
                    endElement(depth--);
                    break;
                case QXmlStreamReader::Characters:
                    characters();
                    break;
                default:
                    break;
            }
        }
        return !xml_.hasError();
    }

    // Text past a point the reader could not get over, as plain lines of the main text.
    void appendPlain(QString text) {
        static const QRegularExpression tag(QStringLiteral("<[^>]*>?"));
        text.remove(tag);
        // What the repairs wrote, and what the file escaped, shown as the characters they stand
        // for; "&amp;" last, so that "&amp;lt;" stays "&lt;".
        for (const auto& [ref, ch] :
             {std::pair(u"&lt;", u"<"), std::pair(u"&gt;", u">"), std::pair(u"&quot;", u"\""),
              std::pair(u"&apos;", u"'"), std::pair(u"&amp;", u"&")})
            text.replace(QString::fromUtf16(ref), QString::fromUtf16(ch));
        if (lineDepth_ && !(part_ == Part::Main ? main_ : notes_).lineEmpty())
            endLine(part_ == Part::Main ? main_ : notes_);
        lineDepth_ = 0;
        part_ = Part::Main;
        for (const QStringView line : QStringView(text).split(u'\n')) {
            if (line.trimmed().isEmpty()) continue;
            main_.append(line);
            endLine(main_);
        }
    }

    void assemble(FormattedBook& book) {
        // A document that broke off may leave a line open.
        if (lineDepth_) endLine(part_ == Part::Main ? main_ : notes_);
        lineDepth_ = 0;
        std::string head;
        LineWriter out(head);
        out.append(title_);
        out.endLine();
        out.append(authors_);
        out.endLine();
        out.endLine();
        const std::int64_t first = out.lines();
        // Moving the text up in its own buffer is cheaper than copying it into a new one.
        std::string& text = mainText_;
        text.reserve(head.size() + text.size() + kNotesHeading.size() + notesText_.size() + 2);
        text.insert(0, head);
        book.headings.clear();
        for (const std::int64_t h : mainHeadings_) book.headings.push_back(first + h);
        if (notes_.lines()) {
            book.headings.push_back(first + main_.lines() + 1);
            text += '\n';
            text += kNotesHeading;
            text += '\n';
            text += notesText_;
        }
        book.text = std::move(text);
    }

  private:
    enum class Part { None, Main, Notes };

    // False when the element was skipped whole.
    bool startElement(int depth) {
        const QStringView name = xml_.name();
        if (depth == 2) {
            if (name == u"description") {
                inDescription_ = true;
            } else if (name == u"body") {
                const QStringView kind = xml_.attributes().value(QLatin1String("name"));
                part_ = kind == u"notes" || kind == u"comments" ? Part::Notes : Part::Main;
            } else {
                // <binary> and the like hold no text of the book and may be large.
                xml_.skipCurrentElement();
                return false;
            }
        } else if (inDescription_) {
            startDescriptionElement(depth, name);
        } else if (part_ != Part::None && !lineDepth_) {
            if (isLineElement(name)) {
                lineDepth_ = depth;
            } else if (name == u"empty-line") {
                endLine(part_ == Part::Main ? main_ : notes_);
            } else if (name == u"title" && part_ == Part::Notes && depth == 3) {
                // The notes' own title gives way to the heading put above them.
                xml_.skipCurrentElement();
                return false;
            } else if (name == u"title" && part_ == Part::Main) {
                headingPending_ = true;
            }
        }
        return true;
    }

    void startDescriptionElement(int depth, QStringView name) {
        if (depth == 3) {
            inTitleInfo_ = name == u"title-info";
        } else if (inTitleInfo_ && depth == 4) {
            if (name == u"book-title") {
                capture_ = &title_;
                captureDepth_ = depth;
            } else if (name == u"author") {
                authorDepth_ = depth;
                author_.clear();
                nickname_.clear();
            }
        } else if (authorDepth_ && depth == 5 && (isNamePart(name) || name == u"nickname")) {
            capture_ = name == u"nickname" ? &nickname_ : &author_;
            if (!capture_->isEmpty()) capture_->append(u' ');
            captureDepth_ = depth;
        }
    }

    void endElement(int depth) {
        if (depth == lineDepth_) {
            endLine(part_ == Part::Main ? main_ : notes_);
            lineDepth_ = 0;
        } else if (depth == captureDepth_) {
            capture_ = nullptr;
            captureDepth_ = 0;
        } else if (depth == authorDepth_) {
            const QString& name = author_.trimmed().isEmpty() ? nickname_ : author_;
            if (!name.trimmed().isEmpty()) {
                if (!authors_.isEmpty()) authors_ += u", ";
                authors_ += name;
            }
            authorDepth_ = 0;
        } else if (xml_.name() == u"title") {
            headingPending_ = false;
        } else if (depth == 2) {
            inDescription_ = inTitleInfo_ = false;
            part_ = Part::None;
        }
    }

    void characters() {
        if (lineDepth_) {
            (part_ == Part::Main ? main_ : notes_).append(xml_.text());
        } else if (capture_) {
            capture_->append(xml_.text());
        }
    }

    void endLine(LineWriter& out) {
        if (headingPending_ && &out == &main_) {
            mainHeadings_.push_back(main_.lines());
            headingPending_ = false;
        }
        out.endLine();
    }

    HtmlEntityResolver entities_;
    QXmlStreamReader xml_;
    std::string mainText_, notesText_;
    LineWriter main_{mainText_}, notes_{notesText_};
    std::vector<std::int64_t> mainHeadings_;
    QString title_, authors_, author_, nickname_;
    QString* capture_ = nullptr;
    Part part_ = Part::None;
    int lineDepth_ = 0, captureDepth_ = 0, authorDepth_ = 0;
    bool inDescription_ = false, inTitleInfo_ = false, headingPending_ = false;
};

// The document's text: in its declared coding, else UTF-8 when it reads as such, else the coding
// plain text would be detected in.
QString decodeDocument(const QByteArray& bytes) {
    if (auto bom = QStringConverter::encodingForData(bytes))
        return QStringDecoder(*bom).decode(bytes);
    static const QRegularExpression declared(
        QStringLiteral("^\\s*<\\?xml[^>]*encoding\\s*=\\s*[\"']([^\"']+)"));
    const auto match =
        declared.match(QString::fromLatin1(bytes.first(std::min<qsizetype>(bytes.size(), 200))));
    if (match.hasMatch()) {
        QStringDecoder decoder(match.captured(1).toLatin1().constData());
        if (decoder.isValid()) return decoder.decode(bytes);
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    const auto found = detectAnyCoding(std::string_view(
        bytes.constData(), std::min(std::size_t(bytes.size()), kDetectSampleBytes)));
    const auto stored = found ? storedCoding(*found) : std::nullopt;
    std::array<char16_t, 256> table = tablesFor(stored ? *stored : kWindowsCyrillic).toUnicode;
    if (found && !stored) std::copy_n(highHalf(*found).begin(), 128, table.begin() + 128);
    text.resize(bytes.size());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = QChar(table[static_cast<unsigned char>(bytes[i])]);
    return text;
}

bool isPredefinedReference(QStringView text, qsizetype at) {
    const QStringView rest = text.sliced(at);
    for (const char16_t* ref : {u"&amp;", u"&lt;", u"&gt;", u"&quot;", u"&apos;"})
        if (rest.startsWith(QStringView(ref))) return true;
    return false;
}

bool isNameStart(QChar c) {
    return c.isLetter() || c == u'_' || c == u':';
}

bool isNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u':' || c == u'.' || c == u'-' ||
           c == u'\u00B7' || c.category() == QChar::Mark_NonSpacing ||
           c.category() == QChar::Mark_SpacingCombining;
}

// Whether the '&' at text[at] starts a reference: a name, "#digits" or "#xhex", then ';'.
bool startsReference(QStringView text, qsizetype at) {
    qsizetype i = at + 1;
    const qsizetype n = text.size();
    if (i < n && text[i] == u'#') {
        const bool hex = i + 1 < n && text[i + 1] == u'x';
        i += hex ? 2 : 1;
        const qsizetype digits = i;
        const auto digit = [hex](char16_t d) {
            return (d >= u'0' && d <= u'9') ||
                   (hex && ((d >= u'a' && d <= u'f') || (d >= u'A' && d <= u'F')));
        };
        while (i < n && digit(text[i].unicode())) ++i;
        return i > digits && i < n && text[i] == u';';
    }
    if (i >= n || !isNameStart(text[i])) return false;
    while (i < n && isNameChar(text[i])) ++i;
    return i < n && text[i] == u';';
}

}  // namespace

QString mendBareAmpersands(QStringView text) {
    QString out;
    qsizetype copied = 0;
    const auto skipTo = [&](qsizetype from, QStringView end) {
        const qsizetype e = text.indexOf(end, from);
        return e < 0 ? text.size() : e + end.size();
    };
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (c == u'<') {
            // Where '&' is no reference: comments, CDATA, processing instructions, and a
            // document type's internal subset.
            const QStringView rest = text.sliced(i);
            if (rest.startsWith(u"<!--")) {
                i = skipTo(i + 4, u"-->");
            } else if (rest.startsWith(u"<![CDATA[")) {
                i = skipTo(i + 9, u"]]>");
            } else if (rest.startsWith(u"<?")) {
                i = skipTo(i + 2, u"?>");
            } else if (rest.startsWith(u"<!DOCTYPE")) {
                const qsizetype open = text.indexOf(u'[', i), close = text.indexOf(u'>', i);
                i = open >= 0 && (close < 0 || open < close) ? skipTo(skipTo(open, u"]"), u">")
                                                             : skipTo(i, u">");
            } else {
                ++i;
            }
        } else if (c == u'&' && !startsReference(text, i)) {
            if (out.isEmpty()) out.reserve(text.size() + 64);
            out += text.sliced(copied, i + 1 - copied);
            out += QLatin1String("amp;");
            copied = ++i;
        } else {
            ++i;
        }
    }
    if (copied == 0) return text.toString();
    out += text.sliced(copied);
    return out;
}

namespace {

// How many faults are mended before the rest is taken as plain text. Each costs a new reading
// of the whole document, so a large one gets fewer: the readings stay within about 64 M
// characters in all.
int maxRepairs(qsizetype size) {
    return int(std::clamp<qsizetype>((qsizetype(64) << 20) / std::max<qsizetype>(size, 1), 2, 64));
}

// Reads a document the strict reader refused: each fault is mended where the reader stopped (a
// bare '&' escaped, a stray tag dropped) and the document read again; past a fault that cannot
// be mended, the text is kept as plain lines.
FormattedBook readLeniently(const QByteArray& bytes) {
    FormattedBook book;
    QString text = decodeDocument(bytes);
    const qsizetype root = text.indexOf(QLatin1String("<FictionBook"));
    if (root < 0) {
        book.error = FormatError::MalformedXml;
        return book;
    }
    // The declaration has done its work; a faulty one would stop the reader again.
    text.remove(0, root);
    // Bare '&' are the commonest fault by far: all mended at once, so that no reading stops at
    // them and no repair meets one twice.
    text = mendBareAmpersands(text);
    book.format = BookFormat::FictionBook;
    const int allowed = maxRepairs(text.size());
    for (int repairs = 0;; ++repairs) {
        Extractor extractor(text);
        extractor.atFictionBookRoot();
        const bool whole = extractor.read();
        const QXmlStreamReader& xml = extractor.reader();
        // A document that ends early has given all it has.
        if (whole || xml.error() == QXmlStreamReader::PrematureEndOfDocumentError) {
            extractor.assemble(book);
            // Refused, as before, when there was nothing of a book in it at all.
            if (book.text == "\n\n\n")
                book = {BookFormat::FictionBook, FormatError::MalformedXml, {}, {}, {}, {}};
            return book;
        }
        const qsizetype at = std::min<qsizetype>(xml.characterOffset(), text.size());
        qsizetype q = at - 1;
        // A predefined reference is never the fault (and may be a repair's own).
        while (q >= 0 && at - q < 256 &&
               !(text[q] == u'<' || (text[q] == u'&' && !isPredefinedReference(text, q))))
            --q;
        if (repairs == allowed || q < 0 || (text[q] != u'<' && text[q] != u'&')) {
            // From the end of the last markup the reader took, so no text is lost.
            extractor.appendPlain(text.sliced(text.lastIndexOf(u'>', at - 1) + 1));
            extractor.assemble(book);
            return book;
        }
        if (text[q] == u'&') {
            text.insert(q + 1, QLatin1String("amp;"));
        } else if (const qsizetype close = text.indexOf(u'>', q); close >= 0 && close - q < 256) {
            text.remove(q, close - q + 1);
        } else {
            text.replace(q, 1, QLatin1String("&lt;"));
        }
    }
}

}  // namespace

FormattedBook readFictionBook(QIODevice& device, QByteArrayView head) {
    FormattedBook book;
    Extractor extractor(device);
    if (!extractor.atFictionBookRoot()) {
        // A declaration the parser refuses (an unknown coding, say) still names the root.
        if (head.startsWith("\xEF\xBB\xBF")) head = head.sliced(3);
        if ((head.startsWith("<?xml") || head.startsWith("<FictionBook")) &&
            head.indexOf("<FictionBook") >= 0 && device.seek(0))
            return readLeniently(device.readAll());
        return book;
    }
    book.format = BookFormat::FictionBook;
    book.error = extractor.extract(book);
    if (!book.ok() && device.seek(0)) return readLeniently(device.readAll());
    if (!book.ok()) book.text.clear();
    return book;
}

}  // namespace tresslin
