#include "settings/ChapterRule.h"

#include <algorithm>

#include "book/mdlFiles.h"
#include "settings/Settings.h"

namespace tresslin {

namespace {

// The literal text after a leading "^" up to the first character that means more than
// itself; a character a quantifier may leave out does not count. Any alternation may avoid it.
QString literalStartOf(const QString& pattern) {
    if (!pattern.startsWith(u'^') || pattern.contains(u'|')) return {};
    static const QString meta = QStringLiteral("\\^$.|?*+()[]{}#");
    QString start;
    for (qsizetype i = 1; i < pattern.size(); ++i) {
        const QChar c = pattern[i];
        if (!meta.contains(c)) {
            start += c;
            continue;
        }
        if (c == u'?' || c == u'*' || c == u'{') {
            const bool pair = start.size() > 1 && start.back().isLowSurrogate();
            start.chop(pair ? 2 : 1);
        }
        break;
    }
    return start;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

ChapterRule::ChapterRule(QRegularExpression expression)
    : expression_(std::move(expression)), start_(literalStartOf(expression_.pattern())) {
    expression_.optimize();
}

std::optional<ChapterRule> ChapterRule::make(const QString& pattern, QString* error) {
    if (error) error->clear();
    if (pattern.isEmpty()) return std::nullopt;
    QRegularExpression expression(pattern);
    if (!expression.isValid()) {
        if (error)
            *error = QStringLiteral("%1 (at character %2)")
                         .arg(expression.errorString())
                         .arg(expression.patternErrorOffset() + 1);
        return std::nullopt;
    }
    return ChapterRule(std::move(expression));
}

std::optional<ChapterRule> ChapterRule::stored() {
    return make(ReadSetting(settings::ChapterRule));
}

const std::optional<std::string>& ChapterRule::startBytes(TextCoding coding) const {
    if (coding == bytesFor_) return bytes_;
    bytesFor_ = coding;
    bytes_.reset();
    if (start_.isEmpty()) return bytes_;
    std::string bytes;
    if (coding == kUtf8) {
        // Only a character the decoder never makes up stands for bytes of its own.
        if (start_.contains(QChar::ReplacementCharacter) ||
            std::any_of(start_.cbegin(), start_.cend(), [](QChar c) { return c.isSurrogate(); }))
            return bytes_;
        bytes = start_.toUtf8().toStdString();
    } else {
        const auto& toUnicode = tablesFor(coding).toUnicode;
        for (const QChar c : start_) {
            // The one byte shown as this character; none or several: every line is tried.
            const auto first = std::find(toUnicode.begin(), toUnicode.end(), c.unicode());
            if (first == toUnicode.end() ||
                std::find(first + 1, toUnicode.end(), c.unicode()) != toUnicode.end())
                return bytes_;
            bytes += char(first - toUnicode.begin());
        }
    }
    bytes_ = std::move(bytes);
    return bytes_;
}

bool ChapterRule::test(std::string_view raw, TextCoding coding) const {
    if (coding == kUtf8) {
        text_ = QString::fromUtf8(raw.data(), qsizetype(raw.size()));
    } else {
        const auto& toUnicode = tablesFor(coding).toUnicode;
        text_.resize(qsizetype(raw.size()));
        QChar* out = text_.data();
        for (const char c : raw) *out++ = QChar(toUnicode[static_cast<unsigned char>(c)]);
    }
    return expression_.match(QStringView(text_)).hasMatch();
}

bool ChapterRule::matches(std::string_view raw, TextCoding coding) const {
    if (coding == kUtf8 && raw.starts_with(kUtf8Bom)) raw.remove_prefix(kUtf8Bom.size());
    const std::optional<std::string>& bytes = startBytes(coding);
    if (bytes && !raw.starts_with(*bytes)) return false;
    return test(raw, coding);
}

std::int64_t ChapterRule::next(const LineStore& lines, std::int64_t from, TextCoding coding) const {
    for (std::int64_t i = std::max<std::int64_t>(from + 1, 0); i <= lines.upperBound(); ++i) {
        if (matches(lines.line(i), coding)) return i;
    }
    return -1;
}

std::int64_t ChapterRule::prev(const LineStore& lines, std::int64_t from, TextCoding coding) const {
    for (std::int64_t i = std::min(from - 1, lines.upperBound()); i >= 0; --i) {
        if (matches(lines.line(i), coding)) return i;
    }
    return -1;
}

}  // namespace tresslin
