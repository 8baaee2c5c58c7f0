#include "formats/XPointer.h"

#include <QList>
#include <algorithm>
#include <vector>

namespace tresslin {

namespace {

using Line = LineOrigins::Line;
constexpr std::uint32_t kNone = LineOrigins::kNone;

bool isContinuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Characters as the engine counts them (code points) in s.
std::int64_t characters(std::string_view s, bool utf8) {
    if (!utf8) return std::int64_t(s.size());
    return std::int64_t(
        std::count_if(s.begin(), s.end(), [](char c) { return !isContinuation(c); }));
}

// The byte offset of character n of s, or s.size() when it has fewer.
std::size_t byteOfCharacter(std::string_view s, std::uint64_t n, bool utf8) {
    if (!utf8) return std::size_t(std::min<std::uint64_t>(n, s.size()));
    std::size_t i = 0;
    for (; i < s.size(); ++i)
        if (!isContinuation(s[i]) && n-- == 0) return i;
    return i;
}

// Every sequence well formed; a line of an 8-bit coding with letters above 127 hardly ever is.
bool looksUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80                ? 1
                              : c >= 0xC2 && c < 0xE0 ? 2
                              : c >= 0xE0 && c < 0xF0 ? 3
                              : c >= 0xF0 && c < 0xF5 ? 4
                                                      : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if (!isContinuation(s[i + k])) return false;
        i += n;
    }
    return true;
}

// ---- Parsing ----

struct Step {
    QStringView name;
    std::uint32_t index = 1;
};

struct Parsed {
    std::vector<Step> elements;
    std::uint32_t text = 0;  // the text node's number, 0 when the path ends at an element
    std::uint64_t offset = 0;
};

bool readNumber(QStringView s, std::uint64_t limit, std::uint64_t& n) {
    if (s.isEmpty() || s.size() > 12) return false;
    n = 0;
    for (const QChar c : s) {
        if (c < u'0' || c > u'9') return false;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n <= limit;
}

// Wider than XML's names: whatever name a document held is matched as it is.
bool isNameChar(QChar c) {
    return c != u'[' && c != u']' && c != u'(' && c != u')' && !c.isSpace();
}

std::optional<Parsed> parse(QStringView x) {
    if (!x.startsWith(u'/')) return std::nullopt;
    x = x.sliced(1);
    Parsed p;
    // ".N" after the last step.
    const qsizetype slash = x.lastIndexOf(u'/'), dot = x.lastIndexOf(u'.');
    if (dot > slash) {
        if (!readNumber(x.sliced(dot + 1), UINT32_MAX, p.offset)) return std::nullopt;
        x = x.first(dot);
    }
    const auto steps = x.split(u'/');
    for (qsizetype i = 0; i < steps.size(); ++i) {
        QStringView s = steps[i];
        std::uint64_t index = 1;
        if (s.endsWith(u']')) {
            const qsizetype open = s.indexOf(u'[');
            if (open < 0 ||
                !readNumber(s.sliced(open + 1, s.size() - open - 2), UINT32_MAX, index) ||
                index == 0)
                return std::nullopt;
            s = s.first(open);
        }
        if (s == u"text()") {
            if (i + 1 != steps.size()) return std::nullopt;
            p.text = std::uint32_t(index);
            break;
        }
        if (s.isEmpty() || s[0].isDigit() || !std::all_of(s.begin(), s.end(), isNameChar))
            return std::nullopt;
        p.elements.push_back({s, std::uint32_t(index)});
    }
    if (p.elements.empty()) return std::nullopt;
    return p;
}

// ---- FictionBook and EPUB: the tree the reader kept ----

// The nearest line at or after i with an element, else before it; -1 when none has one.
std::int64_t lineWithOrigin(const LineOrigins& o, std::int64_t i) {
    const auto n = std::int64_t(o.lines.size());
    for (std::int64_t j = std::clamp<std::int64_t>(i, 0, n); j < n; ++j)
        if (o.lines[std::size_t(j)].node != kNone) return j;
    for (std::int64_t j = std::min(i, n) - 1; j >= 0; --j)
        if (o.lines[std::size_t(j)].node != kNone) return j;
    return -1;
}

QString treeXPointer(const LineStore& lines, const LineOrigins& o, TextPlace place) {
    std::int64_t at = place.line;
    if (at < 0 || at >= std::int64_t(o.lines.size()) || o.lines[std::size_t(at)].node == kNone) {
        at = lineWithOrigin(o, place.line);
        place.offset = 0;
    }
    if (at < 0) return {};
    const Line& line = o.lines[std::size_t(at)];
    std::vector<std::uint32_t> chain;
    for (std::uint32_t n = line.node; n != kNone; n = o.nodes[n].parent) chain.push_back(n);
    QString x;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        const LineOrigins::Node& node = o.nodes[*it];
        const std::string& name = o.names[node.name];
        // A name no path may be written through.
        if (name.empty()) return {};
        x += u'/';
        x += QString::fromStdString(name);
        if (!(node.flags & LineOrigins::OnlyOfName)) x += u'[' + QString::number(node.index) + u']';
    }
    if (line.text == 0) return x + QLatin1String(".0");
    const bool several = line.text > 1 || (o.nodes[line.node].flags & LineOrigins::SeveralTexts);
    x += QLatin1String("/text()");
    if (several) x += u'[' + QString::number(line.text) + u']';
    std::int64_t n = 0;
    if (at == place.line && at < lines.size()) {
        const std::string_view s = lines.line(at);
        const auto offset = std::size_t(std::clamp<std::int64_t>(place.offset, 0, s.size()));
        if (line.lead == kNone || offset <= line.lead) n = characters(s.substr(0, offset), true);
    }
    return x + u'.' + QString::number(n);
}

std::optional<TextPlace> treePlace(const LineStore& lines, const LineOrigins& o, const Parsed& p) {
    const std::size_t depth = p.elements.size();
    std::vector<std::uint32_t> name(depth, kNone);
    for (std::size_t i = 0; i < o.names.size(); ++i) {
        const QString known = QString::fromStdString(o.names[i]);
        for (std::size_t k = 0; k < depth; ++k)
            if (!known.isEmpty() && p.elements[k].name == known) name[k] = std::uint32_t(i);
    }
    // For each node: its depth, whether its path is the start of the one sought (prefix), and
    // whether it lies within the element sought (under). Parents come before their children.
    std::vector<std::uint32_t> level(o.nodes.size());
    std::vector<std::uint8_t> prefix(o.nodes.size()), under(o.nodes.size());
    for (std::size_t i = 0; i < o.nodes.size(); ++i) {
        const LineOrigins::Node& n = o.nodes[i];
        const bool root = n.parent == kNone;
        level[i] = root ? 1 : level[n.parent] + 1;
        const std::size_t d = level[i];
        prefix[i] = (root || prefix[n.parent]) && d <= depth && name[d - 1] == n.name &&
                    p.elements[d - 1].index == n.index;
        under[i] = (prefix[i] && d == depth) || (!root && under[n.parent]);
    }
    std::int64_t exact = -1, within = -1, inside = -1;
    for (std::size_t i = 0; i < o.lines.size() && std::int64_t(i) < lines.size(); ++i) {
        const Line& line = o.lines[i];
        if (line.node == kNone) continue;
        const std::uint32_t d = level[line.node];
        if (prefix[line.node] && d == depth) {
            if (p.text != 0 && line.text == p.text) {
                const std::string_view s = lines.line(std::int64_t(i));
                const std::string_view node = line.lead == kNone ? s : s.substr(0, line.lead);
                return TextPlace{std::int64_t(i),
                                 std::int64_t(byteOfCharacter(node, p.offset, true))};
            }
            if (exact < 0) exact = std::int64_t(i);
        } else if (under[line.node] && within < 0) {
            within = std::int64_t(i);
        } else if (prefix[line.node] && d < depth && inside < 0) {
            // Deeper than the reader kept: inline markup inside the line's element.
            inside = std::int64_t(i);
        }
    }
    for (const std::int64_t i : {exact, within, inside})
        if (i >= 0) return TextPlace{i, 0};
    return std::nullopt;
}

// ---- Plain text: one pre a non-blank line, as the engine's import makes them ----

constexpr std::int64_t kCut = 2000;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

struct Piece {
    std::size_t begin, end;
    bool blank;
};

// The line's pieces: cut once one reaches 2,000 characters, after the next blank.
template <class F>
bool forEachPiece(std::string_view s, bool utf8, F&& f) {
    const auto blank = [&](std::size_t b, std::size_t e) {
        return std::all_of(s.begin() + std::ptrdiff_t(b), s.begin() + std::ptrdiff_t(e), isBlank);
    };
    if (s.size() < std::size_t(kCut)) return f(Piece{0, s.size(), blank(0, s.size())});
    std::size_t begin = 0;
    std::int64_t count = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (utf8 && isContinuation(s[i])) continue;
        if (++count >= kCut && isBlank(s[i])) {
            if (f(Piece{begin, i + 1, blank(begin, i + 1)})) return true;
            begin = i + 1;
            count = 0;
        }
    }
    return begin < s.size() && f(Piece{begin, s.size(), blank(begin, s.size())});
}

// Lines the import writes as other text: a rule of -, * or = becomes "* * *", and lib.ru's
// header marks go with the blanks before them. No offset inside them is kept.
bool rewritten(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == s.npos) return false;
    if (s[first] == '\x14') return true;
    return s.find_first_not_of(" \t-*=") == s.npos;
}

struct TextCounter {
    const LineStore& lines;
    BookFormat format;
    std::optional<TextCoding> coding;

    bool utf8(std::string_view s) const {
        if (heldAsUtf8(format)) return true;
        return coding ? *coding == kUtf8 : looksUtf8(s);
    }
};

QString textXPointer(const TextCounter& t, TextPlace place) {
    std::int64_t k = 0, found = -1, n = 0;
    bool second = false;
    for (std::int64_t i = 0; i < t.lines.size() && !second; ++i) {
        const std::string_view s = t.lines.line(i);
        const bool utf8 = t.utf8(s);
        forEachPiece(s, utf8, [&](const Piece& p) {
            if (p.blank) return false;
            ++k;
            if (found >= 0) return second = true;
            if (i > place.line || (i == place.line && std::size_t(place.offset) < p.end) ||
                (i == place.line && p.end == s.size())) {
                found = k;
                if (i == place.line && !rewritten(s)) {
                    const std::size_t at = std::clamp<std::size_t>(
                        std::size_t(std::max<std::int64_t>(place.offset, 0)), p.begin, p.end);
                    n = characters(s.substr(p.begin, at - p.begin), utf8);
                }
                second = found > 1;
                return second;
            }
            return false;
        });
    }
    // Past the last line that has text: its start.
    if (found < 0) found = k;
    if (found <= 0) return {};
    const QString pre =
        found == 1 && !second ? QStringLiteral("pre") : QStringLiteral("pre[%1]").arg(found);
    return QStringLiteral("/FictionBook/body/%1/text().%2").arg(pre).arg(n);
}

std::optional<TextPlace> textPlace(const TextCounter& t, const Parsed& p) {
    const auto& e = p.elements;
    if (e.size() != 3 || e[0].name != u"FictionBook" || e[0].index != 1 || e[1].name != u"body" ||
        e[1].index != 1 || e[2].name != u"pre" || p.text > 1)
        return std::nullopt;
    std::int64_t k = 0;
    for (std::int64_t i = 0; i < t.lines.size(); ++i) {
        const std::string_view s = t.lines.line(i);
        const bool utf8 = t.utf8(s);
        std::optional<TextPlace> place;
        forEachPiece(s, utf8, [&](const Piece& piece) {
            if (piece.blank || ++k != e[2].index) return false;
            const std::size_t at =
                rewritten(s) || p.text == 0
                    ? 0
                    : byteOfCharacter(s.substr(piece.begin, piece.end - piece.begin), p.offset,
                                      utf8);
            place = TextPlace{i, std::int64_t(piece.begin + at)};
            return true;
        });
        if (place) return place;
    }
    return std::nullopt;
}

}  // namespace

QString xpointerAt(const LineStore& lines, BookFormat format, const LineOrigins& origins,
                   TextPlace place, std::optional<TextCoding> coding) {
    if (format == BookFormat::FictionBook || format == BookFormat::Epub)
        return treeXPointer(lines, origins, place);
    return textXPointer({lines, format, coding}, place);
}

std::optional<TextPlace> placeAtXPointer(const LineStore& lines, BookFormat format,
                                         const LineOrigins& origins, const QString& xpointer,
                                         std::optional<TextCoding> coding) {
    const auto parsed = parse(xpointer);
    if (!parsed) return std::nullopt;
    if (format == BookFormat::FictionBook || format == BookFormat::Epub)
        return treePlace(lines, origins, *parsed);
    return textPlace({lines, format, coding}, *parsed);
}

}  // namespace tresslin
