// The chapter rule typed by a reader: any text is refused with a reason or made into a rule,
// and a rule's quick test of each line's first bytes never drops a line the expression matches.
#include <QRegularExpression>
#include <cstdint>

#include "FuzzInput.h"
#include "book/mdlFiles.h"
#include "settings/ChapterRule.h"

using namespace tresslin;
using tresslin::fuzz::Fail;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput in(data, size);
    const TextCoding coding = TextCoding(in.byte() % kStoredCodingCount);
    const std::string_view patternBytes = in.take(in.byte() % 64);
    const QString pattern = QString::fromUtf8(patternBytes.data(), qsizetype(patternBytes.size()));
    std::string_view line = in.rest();
    QString error;
    const auto rule = ChapterRule::make(pattern, &error);
    if (rule.has_value() == !error.isEmpty() && !pattern.isEmpty()) Fail("neither rule nor reason");
    if (!rule) return 0;
    // The line once as written and once behind the rule's own start, so both ways are tried.
    std::string led;
    if (coding == kUtf8) {
        led = rule->literalStart().toStdString();
    } else {
        for (const QChar c : rule->literalStart())
            led += char(tablesFor(coding).fromWindows[unicodeToCp1251(c.unicode()).value_or('?')]);
    }
    for (const std::string& raw : {std::string(line), led + std::string(line)}) {
        std::string_view text = raw;
        if (coding == kUtf8 && text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
        QString decoded;
        if (coding == kUtf8) {
            decoded = QString::fromUtf8(text.data(), qsizetype(text.size()));
        } else {
            for (const char c : text)
                decoded += QChar(tablesFor(coding).toUnicode[static_cast<unsigned char>(c)]);
        }
        if (rule->matches(raw, coding) != QRegularExpression(pattern).match(decoded).hasMatch())
            Fail("the rule and its expression disagree on a line");
    }
    return 0;
}
