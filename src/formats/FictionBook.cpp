#include "formats/FictionBook.h"

#include <QIODevice>
#include <QStringEncoder>
#include <QXmlStreamReader>
#include <cstring>

namespace tresslin {

namespace {

// 0x80 in each byte of x that is zero, 0 in the others.
std::uint64_t zeroBytes(std::uint64_t x) {
    constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
    return ~(((x & low7) + low7) | x | low7);
}

// No control character and no two blanks together. Eight bytes a step: this runs over all the
// text of most books.
bool isSingleSpaced(const char* p, const char* end) {
    constexpr std::uint64_t blanks = 0x2020202020202020ull, high3 = 0xE0E0E0E0E0E0E0E0ull;
    const std::size_t n = std::size_t(end - p);
    std::uint64_t irregular = 0;
    std::size_t i = 0;
    for (; i + 9 <= n; i += 8) {
        std::uint64_t a, b;
        std::memcpy(&a, p + i, 8);
        std::memcpy(&b, p + i + 1, 8);
        irregular |= zeroBytes(a & high3) | (zeroBytes(a ^ blanks) & zeroBytes(b ^ blanks));
    }
    for (; i < n; ++i)
        irregular |=
            static_cast<unsigned char>(p[i]) < ' ' || (p[i] == ' ' && i + 1 < n && p[i + 1] == ' ');
    return !irregular;
}

// Collects flattened text into lines: XML whitespace runs become one blank, and none is kept at
// either end of a line, so a paragraph broken over several source lines stays one line.
class LineWriter {
  public:
    explicit LineWriter(std::string& out) : out_(out) {}

    void append(QStringView text) {
        // The text is encoded one byte past where it is compacted to, room for a blank held
        // over from the text before, so the write position never overtakes the read position.
        const std::size_t start = out_.size();
        out_.resize(start + 1 + std::size_t(encoder_.requiredSpace(text.size())));
        const char* r = out_.data() + start + 1;
        const char* end = encoder_.appendToBuffer(out_.data() + start + 1, text);
        char* w = out_.data() + start;
        // Locals: the flags held in members would be reloaded after every byte written.
        bool pending = pendingBlank_, empty = lineEmpty_;
        if (r < end && *r == ' ') pending = true, ++r;
        const bool trailing = end > r && end[-1] == ' ';
        end -= trailing;
        if (r == end) {
            pending |= trailing;
        } else if (*r != ' ' && end[-1] != ' ' && isSingleSpaced(r, end)) {
            // Most text has one blank between words and nothing else to collapse; a second blank
            // at either end still needs the slow path.
            if (pending && !empty) *w++ = ' ';
            std::memmove(w, r, std::size_t(end - r));
            w += end - r;
            pending = trailing;
            empty = false;
        } else {
            for (; r < end; ++r) {
                const char c = *r;
                // Below the blank, XML allows only tab, LF and CR.
                if (static_cast<unsigned char>(c) <= ' ') {
                    pending = true;
                    continue;
                }
                if (pending && !empty) *w++ = ' ';
                pending = empty = false;
                *w++ = c;
            }
            pending |= trailing;
        }
        pendingBlank_ = pending;
        lineEmpty_ = empty;
        out_.resize(std::size_t(w - out_.data()));
    }
    void endLine() {
        out_ += '\n';
        ++lines_;
        pendingBlank_ = false;
        lineEmpty_ = true;
    }
    std::int64_t lines() const { return lines_; }

  private:
    std::string& out_;
    QStringEncoder encoder_{QStringEncoder::Utf8};
    std::int64_t lines_ = 0;
    bool pendingBlank_ = false;
    bool lineEmpty_ = true;
};

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
    }

    // False when the document's first element is not FictionBook (or there is none).
    bool atFictionBookRoot() {
        while (!xml_.atEnd() && xml_.readNext() != QXmlStreamReader::StartElement) {
        }
        return !xml_.hasError() && xml_.isStartElement() && xml_.name() == u"FictionBook";
    }

    FormatError extract(FormattedBook& book) {
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
        if (xml_.hasError()) return FormatError::MalformedXml;
        assemble(book);
        return FormatError::None;
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
                part_ = xml_.attributes().value(QLatin1String("name")) == u"notes" ? Part::Notes
                                                                                   : Part::Main;
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

    void assemble(FormattedBook& book) {
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

}  // namespace

FormattedBook readFictionBook(QIODevice& device, QByteArrayView head) {
    FormattedBook book;
    Extractor extractor(device);
    if (!extractor.atFictionBookRoot()) {
        // A declaration the parser refuses (an unknown coding, say) still names the root.
        if (head.startsWith("\xEF\xBB\xBF")) head = head.sliced(3);
        if (head.startsWith("<?xml") && head.indexOf("<FictionBook") >= 0)
            book.error = FormatError::MalformedXml;
        return book;
    }
    book.format = BookFormat::FictionBook;
    book.error = extractor.extract(book);
    if (!book.ok()) book.text.clear();
    return book;
}

}  // namespace tresslin
