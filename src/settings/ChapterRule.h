// The reader's own rule for chapter headings: a regular expression tried on each line's text.
#pragma once

#include <QRegularExpression>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "book/TextCoding.h"
#include "book/mdlDeclarations.h"

namespace tresslin {

class ChapterRule {
  public:
    // Nothing for an empty pattern or one that is no valid expression; the reason then goes to
    // error (empty for an empty pattern).
    static std::optional<ChapterRule> make(const QString& pattern, QString* error = nullptr);
    // The stored rule; nothing when none is stored or the stored one is not valid.
    static std::optional<ChapterRule> stored();

    // Whether the line, as stored in the coding given, is a heading by the rule.
    bool matches(std::string_view raw, TextCoding coding) const;
    // The first heading after line from, the last before it; -1 when there is none.
    std::int64_t next(const LineStore& lines, std::int64_t from, TextCoding coding) const;
    std::int64_t prev(const LineStore& lines, std::int64_t from, TextCoding coding) const;

    // The text every match must begin the line with ("Глава " for "^Глава [0-9]+"); lines that
    // do not begin with it are never decoded.
    const QString& literalStart() const { return start_; }

  private:
    explicit ChapterRule(QRegularExpression expression);
    // The literal start as stored in the coding; nothing when it has no such bytes.
    const std::optional<std::string>& startBytes(TextCoding coding) const;
    bool test(std::string_view raw, TextCoding coding) const;

    QRegularExpression expression_;
    QString start_;
    mutable TextCoding bytesFor_ = TextCoding(-1);
    mutable std::optional<std::string> bytes_;
    mutable QString text_;  // the line decoded, kept to spare an allocation a line
};

}  // namespace tresslin
