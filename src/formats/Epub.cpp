#include "formats/Epub.h"

#include <QHash>
#include <QUrl>
#include <QXmlStreamReader>
#include <algorithm>
#include <cstdio>

#include "formats/HtmlEntities.h"
#include "formats/LineWriter.h"
#include "formats/OriginTracker.h"
#include "formats/ZipArchive.h"

namespace tresslin {

namespace {

constexpr std::string_view kMimetype = "application/epub+zip";

// A document read from the archive, with HTML's names known to its reader.
struct Document {
    std::string bytes;
    HtmlEntityResolver entities;
    QXmlStreamReader xml;

    void start() {
        xml.clear();
        xml.addData(QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())));
        xml.setEntityResolver(&entities);
    }
};

// Reads the entry at path into doc; false when there is none or it cannot be read, with error
// set for faults that fail the whole book.
bool load(ZipArchive& zip, const std::string& path, Document& doc, FormatError& error) {
    const auto i = zip.find(path);
    if (!i) return false;
    const FormatError e = zip.read(*i, doc.bytes);
    if (e == FormatError::None) {
        doc.start();
        return true;
    }
    // A bad checksum in one chapter leaves the others; limits and encryption end the book.
    if (e != FormatError::BadZip) error = e;
    return false;
}

// href taken against the folder of base, both paths inside the archive; empty when it leaves
// the archive or names nothing.
std::string resolve(const std::string& base, QStringView href) {
    const qsizetype hash = href.indexOf(u'#');
    if (hash >= 0) href = href.first(hash);
    if (href.isEmpty() || href.contains(u':')) return {};
    const QString decoded = QUrl::fromPercentEncoding(href.toUtf8());
    QStringList parts;
    if (!decoded.startsWith(u'/')) {
        parts = QString::fromStdString(base).split(u'/');
        parts.removeLast();
    }
    for (const QString& part : decoded.split(u'/')) {
        if (part.isEmpty() || part == u".") continue;
        if (part == u"..") {
            if (parts.isEmpty()) return {};
            parts.removeLast();
        } else {
            parts.append(part);
        }
    }
    return parts.join(u'/').toStdString();
}

QString fragmentOf(QStringView href) {
    const qsizetype hash = href.indexOf(u'#');
    return hash < 0 ? QString() : href.sliced(hash + 1).toString();
}

struct Package {
    QString title;
    QStringList authors;
    std::vector<std::string> spine;
    std::string nav, ncx;  // the tables of contents, empty when none
};

Package readPackage(Document& doc, const std::string& path) {
    Package pack;
    struct Item {
        QString href, mediaType, properties;
    };
    QHash<QString, Item> items;
    QStringList order;
    QString ncxId;
    QXmlStreamReader& xml = doc.xml;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const QStringView name = xml.name();
        const QXmlStreamAttributes a = xml.attributes();
        if (name == u"title" && pack.title.isEmpty()) {
            pack.title = xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (name == u"creator") {
            const QString author = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            if (!author.trimmed().isEmpty()) pack.authors.append(author);
        } else if (name == u"item") {
            items.insert(a.value(QLatin1String("id")).toString(),
                         {a.value(QLatin1String("href")).toString(),
                          a.value(QLatin1String("media-type")).toString(),
                          a.value(QLatin1String("properties")).toString()});
        } else if (name == u"spine") {
            ncxId = a.value(QLatin1String("toc")).toString();
        } else if (name == u"itemref") {
            order.append(a.value(QLatin1String("idref")).toString());
        }
    }
    for (const QString& id : order) {
        const auto it = items.constFind(id);
        if (it != items.constEnd()) pack.spine.push_back(resolve(path, it->href));
    }
    for (const Item& item : std::as_const(items)) {
        if (item.properties.split(u' ').contains(QLatin1String("nav"))) {
            pack.nav = resolve(path, item.href);
            break;
        }
    }
    const auto ncx = items.constFind(ncxId);
    if (ncx != items.constEnd()) pack.ncx = resolve(path, ncx->href);
    return pack;
}

// The targets of the table of contents, in its order: (document, fragment).
std::vector<std::pair<std::string, QString>> readToc(Document& doc, const std::string& path,
                                                     bool ncx) {
    std::vector<std::pair<std::string, QString>> targets;
    QXmlStreamReader& xml = doc.xml;
    int navDepth = 0, depth = 0;
    bool inToc = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::EndElement && depth-- == navDepth) inToc = false;
        if (token != QXmlStreamReader::StartElement) continue;
        ++depth;
        const QXmlStreamAttributes a = xml.attributes();
        QStringView href;
        if (ncx && xml.name() == u"content") {
            href = a.value(QLatin1String("src"));
        } else if (!ncx && xml.name() == u"nav" && !inToc) {
            // The first nav, or the one that says it is the table of contents.
            const QStringView type =
                a.value(QLatin1String("http://www.idpf.org/2007/ops"), QLatin1String("type"));
            if (targets.empty() || type.split(u' ').contains(QLatin1String("toc"))) {
                if (!targets.empty()) targets.clear();
                inToc = true;
                navDepth = depth;
            }
        } else if (inToc && xml.name() == u"a") {
            href = a.value(QLatin1String("href"));
        }
        if (!href.isEmpty()) {
            std::string target = resolve(path, href);
            if (!target.empty()) targets.emplace_back(std::move(target), fragmentOf(href));
        }
    }
    return targets;
}

bool isBlock(QStringView n) {
    static const QStringView blocks[] = {
        u"p",       u"div",     u"h1",         u"h2",     u"h3",     u"h4",         u"h5",
        u"h6",      u"li",      u"blockquote", u"dt",     u"dd",     u"pre",        u"tr",
        u"td",      u"th",      u"table",      u"ul",     u"ol",     u"dl",         u"section",
        u"article", u"aside",   u"header",     u"footer", u"figure", u"figcaption", u"hr",
        u"body",    u"address", u"caption",    u"main",   u"center", u"nav"};
    return std::find(std::begin(blocks), std::end(blocks), n) != std::end(blocks);
}

bool isLeftOut(QStringView n) {
    return n == u"head" || n == u"script" || n == u"style" || n == u"svg" || n == u"math";
}

// Writes one content document's text as lines: every block its own line, inline markup
// flattened. Gives the line each wanted id stands on and the lines of h1 to h3.
class Xhtml {
  public:
    Xhtml(LineWriter& out, const QHash<QString, std::int64_t>& wanted, OriginTracker& origins,
          std::vector<LineOrigins::Line>& lines)
        : out_(out), ids_(wanted), origins_(origins), lines_(lines) {}

    void read(QXmlStreamReader& xml) {
        while (!xml.atEnd()) {
            switch (xml.readNext()) {
                case QXmlStreamReader::StartElement:
                    ++depth_;
                    start(xml);
                    break;
                case QXmlStreamReader::EndElement:
                    if (isBlock(xml.name())) flush();
                    if (xml.name() == u"pre" && pre_) --pre_;
                    if (bodyDepth_) origins_.close();
                    if (depth_-- == bodyDepth_) bodyDepth_ = 0;
                    break;
                case QXmlStreamReader::Characters:
                    text(xml.text());
                    break;
                default:
                    break;
            }
        }
        // A document that breaks off keeps what came before the fault.
        flush();
        for (; bodyDepth_ && depth_ >= bodyDepth_; --depth_) origins_.close();
    }

    const QHash<QString, std::int64_t>& ids() const { return ids_; }
    const std::vector<std::int64_t>& headings() const { return headings_; }

  private:
    void start(QXmlStreamReader& xml) {
        const QStringView n = xml.name();
        // The document's body is its DocFragment's; what stands outside it is no part of the
        // engine's tree.
        if (!bodyDepth_ && n == u"body") bodyDepth_ = depth_;
        if (isLeftOut(n)) {
            if (bodyDepth_) {
                origins_.open(n);
                origins_.close();
            }
            xml.skipCurrentElement();
            --depth_;
            return;
        }
        if (isBlock(n) || n == u"br") flush();
        if (bodyDepth_) origins_.open(n);
        if (n == u"pre") ++pre_;
        if (n.size() == 2 && n[0] == u'h' && n[1] >= u'1' && n[1] <= u'3')
            headings_.push_back(out_.lines());
        const QStringView id = xml.attributes().value(QLatin1String("id"));
        if (!id.isEmpty()) {
            const auto it = ids_.find(id.toString());
            if (it != ids_.end() && *it < 0) *it = out_.lines();
        }
    }

    void text(QStringView t) {
        if (bodyDepth_) origins_.text(t);
        if (!pre_) {
            append(t, bodyDepth_ != 0);
            return;
        }
        // Preformatted text keeps its own lines; where they start in its text node is not kept.
        const auto parts = t.split(u'\n');
        for (qsizetype i = 0; i < parts.size(); ++i) {
            if (i) flush();
            append(parts[i], false);
        }
    }

    void append(QStringView t, bool direct) {
        const bool empty = out_.lineEmpty();
        out_.append(t);
        if (empty && !out_.lineEmpty()) origins_.lineBegins(out_, direct);
    }

    void flush() {
        if (out_.lineEmpty()) return;
        lines_.push_back(origins_.lineEnds());
        out_.endLine();
    }

    LineWriter& out_;
    QHash<QString, std::int64_t> ids_;
    OriginTracker& origins_;
    std::vector<LineOrigins::Line>& lines_;
    std::vector<std::int64_t> headings_;
    int pre_ = 0, depth_ = 0, bodyDepth_ = 0;
};

bool readContainer(Document& doc, std::string& package) {
    QXmlStreamReader& xml = doc.xml;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"rootfile") {
            package = resolve({}, xml.attributes().value(QLatin1String("full-path")));
            if (!package.empty()) return true;
        }
    }
    return false;
}

// True when the content is encrypted; fonts obfuscated so they are not lifted are no matter.
bool isEncrypted(Document& doc) {
    QXmlStreamReader& xml = doc.xml;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != u"EncryptionMethod")
            continue;
        const QStringView algorithm = xml.attributes().value(QLatin1String("Algorithm"));
        if (algorithm != u"http://www.idpf.org/2008/embedding" &&
            algorithm != u"http://ns.adobe.com/pdf/enc#RC")
            return true;
    }
    return false;
}

FormattedBook fail(FormatError error) {
    FormattedBook book;
    book.format = BookFormat::Epub;
    book.error = error;
    return book;
}

}  // namespace

bool isEpub(ZipArchive& zip) {
    const auto i = zip.find("mimetype");
    if (!i || zip.entries()[*i].size > 64) return false;
    std::string type;
    if (zip.read(*i, type) != FormatError::None) return false;
    return QByteArray::fromStdString(type).trimmed() == QByteArray(kMimetype.data());
}

FormattedBook readEpub(ZipArchive& zip) {
    FormatError error = FormatError::None;
    Document doc;
    if (load(zip, "META-INF/encryption.xml", doc, error) && isEncrypted(doc)) {
        std::fputs("tresslin: the EPUB's content is encrypted (DRM) and cannot be read\n", stderr);
        return fail(FormatError::EncryptedEntry);
    }
    std::string packagePath;
    if (!load(zip, "META-INF/container.xml", doc, error) || !readContainer(doc, packagePath) ||
        !load(zip, packagePath, doc, error))
        return fail(error != FormatError::None ? error : FormatError::MalformedXml);
    const Package pack = readPackage(doc, packagePath);

    std::vector<std::pair<std::string, QString>> toc;
    // EPUB 3's navigation document, else EPUB 2's NCX.
    if (!pack.nav.empty() && load(zip, pack.nav, doc, error)) toc = readToc(doc, pack.nav, false);
    if (toc.empty() && !pack.ncx.empty() && load(zip, pack.ncx, doc, error))
        toc = readToc(doc, pack.ncx, true);
    if (error != FormatError::None) return fail(error);

    std::string text;
    LineWriter out(text);
    out.append(pack.title);
    out.endLine();
    out.append(pack.authors.join(QLatin1String(", ")));
    out.endLine();
    out.endLine();
    // One DocFragment for each item of the spine, read or not, so that their numbers are the
    // items' own.
    OriginTracker origins(u"body");
    std::vector<LineOrigins::Line> lines(std::size_t(out.lines()));
    std::vector<std::int64_t> guessed;
    QHash<std::string, std::int64_t> starts;
    QHash<std::pair<std::string, QString>, std::int64_t> places;
    bool any = false;
    for (const std::string& path : pack.spine) {
        origins.open(u"DocFragment");
        if (path.empty() || starts.contains(path) || !load(zip, path, doc, error)) {
            if (error != FormatError::None) return fail(error);
            origins.close();
            continue;
        }
        any = true;
        starts.insert(path, out.lines());
        QHash<QString, std::int64_t> wanted;
        for (const auto& [file, fragment] : toc)
            if (file == path && !fragment.isEmpty()) wanted.insert(fragment, -1);
        Xhtml page(out, wanted, origins, lines);
        page.read(doc.xml);
        origins.close();
        guessed.insert(guessed.end(), page.headings().begin(), page.headings().end());
        for (auto it = page.ids().begin(); it != page.ids().end(); ++it)
            if (*it >= 0) places.insert({path, it.key()}, *it);
        // The next document is read into the same buffer.
        doc.bytes = std::string();
    }
    if (!any) return fail(FormatError::MalformedXml);

    std::vector<std::int64_t> headings;
    for (const auto& target : toc) {
        const auto place = places.constFind(target);
        if (place != places.constEnd()) {
            headings.push_back(*place);
        } else if (const auto start = starts.constFind(target.first); start != starts.constEnd()) {
            headings.push_back(*start);
        }
    }
    if (headings.empty()) headings = std::move(guessed);
    std::sort(headings.begin(), headings.end());
    headings.erase(std::unique(headings.begin(), headings.end()), headings.end());
    // A heading past the last line (an empty last chapter) points at nothing.
    while (!headings.empty() && headings.back() >= out.lines()) headings.pop_back();

    FormattedBook book;
    book.format = BookFormat::Epub;
    book.text = std::move(text);
    book.headings = std::move(headings);
    book.origins = origins.finish(std::move(lines));
    return book;
}

}  // namespace tresslin
