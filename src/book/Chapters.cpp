#include "book/Chapters.h"

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "book/DisplayChars.h"

namespace tresslin {

namespace {

constexpr std::size_t kMaxHeadingChars = 80;
// Stored lengths past which a line is not read at all: a heading of 80 characters takes at most
// 320 bytes even in UTF-8, with room left for indentation; an empty line may hold some blanks.
constexpr std::uint64_t kMaxHeadingSpan = 1024;
constexpr std::uint64_t kMaxEmptySpan = 256;

bool isBlank(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\f' || c == 0x00A0;
}

bool isLetter(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= 0x0400 && c <= 0x04FF);
}

bool isDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}

// Lower case for Latin and Russian letters, with Ё read as Е (books spell "четвёртая" both ways).
char32_t fold(char32_t c) {
    c = toLowerLetter(c);
    return c == 0x0451 ? 0x0435 : c;
}

// The Cyrillic Х and І that books type for the Roman X and I.
char32_t romanLetter(char32_t c) {
    switch (c) {
        case 0x0425:
            return U'X';
        case 0x0445:
            return U'x';
        case 0x0406:
            return U'I';
        case 0x0456:
            return U'i';
        default:
            return c;
    }
}

bool isRoman(std::u32string_view s, bool anyCase) {
    if (s.empty() || s.size() > 15) return false;
    std::string letters;
    for (char32_t c : s) {
        c = romanLetter(c);
        if (anyCase && c >= U'a' && c <= U'z') c -= 32;
        if (c > 0x7F || std::string_view("IVXLCDM").find(char(c)) == std::string_view::npos)
            return false;
        letters += char(c);
    }
    // The numeral is valid when it is the canonical spelling of its value.
    static constexpr std::pair<int, std::string_view> kParts[] = {
        {1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
        {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
    auto valueOf = [](char c) {
        switch (c) {
            case 'I':
                return 1;
            case 'V':
                return 5;
            case 'X':
                return 10;
            case 'L':
                return 50;
            case 'C':
                return 100;
            case 'D':
                return 500;
            default:
                return 1000;
        }
    };
    int value = 0;
    for (std::size_t i = 0; i < letters.size(); ++i) {
        const int v = valueOf(letters[i]);
        value += i + 1 < letters.size() && valueOf(letters[i + 1]) > v ? -v : v;
    }
    if (value <= 0 || value >= 4000) return false;
    std::string canonical;
    for (const auto& [v, spelling] : kParts) {
        for (; value >= v; value -= v) canonical += spelling;
    }
    return canonical == letters;
}

bool isNumberWord(std::u32string_view w) {
    static constexpr std::u32string_view kWords[] = {
        U"один",         U"одна",       U"два",         U"две",        U"три",
        U"четыре",       U"пять",       U"шесть",       U"семь",       U"восемь",
        U"девять",       U"десять",     U"одиннадцать", U"двенадцать", U"тринадцать",
        U"четырнадцать", U"пятнадцать", U"шестнадцать", U"семнадцать", U"восемнадцать",
        U"девятнадцать", U"двадцать",   U"тридцать",    U"сорок",      U"пятьдесят",
        U"шестьдесят",   U"семьдесят",  U"восемьдесят", U"девяносто",  U"сто",
        U"one",          U"two",        U"three",       U"four",       U"five",
        U"six",          U"seven",      U"eight",       U"nine",       U"ten",
        U"eleven",       U"twelve",     U"thirteen",    U"fourteen",   U"fifteen",
        U"sixteen",      U"seventeen",  U"eighteen",    U"nineteen",   U"twenty",
        U"thirty",       U"forty",      U"fifty",       U"sixty",      U"seventy",
        U"eighty",       U"ninety",     U"hundred",     U"first",      U"second",
        U"third",        U"fourth",     U"fifth",       U"sixth",      U"seventh",
        U"eighth",       U"ninth",      U"tenth",       U"eleventh",   U"twelfth"};
    // Russian ordinals, in any gender: "первая", "второй", "третье".
    static constexpr std::u32string_view kStems[] = {
        U"перв",        U"втор",        U"трет",      U"четверт",    U"пят",        U"шест",
        U"седьм",       U"восьм",       U"девят",     U"десят",      U"одиннадцат", U"двенадцат",
        U"тринадцат",   U"четырнадцат", U"пятнадцат", U"шестнадцат", U"семнадцат",  U"восемнадцат",
        U"девятнадцат", U"двадцат",     U"тридцат",   U"сороков",    U"пятидесят",  U"шестидесят",
        U"семидесят",   U"восьмидесят", U"девяност",  U"сот"};
    static constexpr std::u32string_view kEndings[] = {U"ая", U"ый", U"ой", U"ое",
                                                       U"ья", U"ий", U"ье"};
    if (std::find(std::begin(kWords), std::end(kWords), w) != std::end(kWords)) return true;
    if (w.size() < 2) return false;
    const std::u32string_view stem = w.substr(0, w.size() - 2);
    const std::u32string_view ending = w.substr(w.size() - 2);
    return std::find(std::begin(kStems), std::end(kStems), stem) != std::end(kStems) &&
           std::find(std::begin(kEndings), std::end(kEndings), ending) != std::end(kEndings);
}

// Reads a heading's text: t holds the trimmed line with letters folded, raw the same
// characters as written (for the capitals of a Roman numeral alone).
class Reader {
  public:
    Reader(std::u32string_view t, std::u32string_view raw) : t_(t), raw_(raw) {}

    bool heading() const {
        if (stars()) return true;
        const std::size_t word = run(0, isLetter);
        const std::u32string_view first = t_.substr(0, word);
        if (word == 0) {
            // A number alone: "12" or "12.".
            const std::size_t digits = run(0, isDigit);
            return digits > 0 && digits <= 4 && (digits == t_.size() || rest(digits) == U".");
        }
        if (isRoman(raw_.substr(0, word), false)) return word == t_.size() || rest(word) == U".";
        if (first == U"пролог" || first == U"эпилог" || first == U"prologue" ||
            first == U"epilogue")
            return titleMayFollow(word);
        if (first == U"глава" || first == U"часть" || first == U"chapter" || first == U"part")
            return numberFollows(word);
        return false;
    }

  private:
    template <typename Pred>
    std::size_t run(std::size_t from, Pred pred) const {
        while (from < t_.size() && pred(t_[from])) ++from;
        return from;
    }
    std::u32string_view rest(std::size_t from) const { return t_.substr(from); }

    bool stars() const {
        std::size_t count = 0;
        for (char32_t c : t_) {
            if (c == U'*')
                ++count;
            else if (!isBlank(c))
                return false;
        }
        return count >= 3;
    }

    // The end of the line, or a period, colon or dash and then a title.
    bool titleMayFollow(std::size_t at) const {
        at = run(at, isBlank);
        if (at == t_.size()) return true;
        const char32_t c = t_[at];
        return c == U'.' || c == U':' || c == U'-' || c == 0x2013 || c == 0x2014;
    }

    // After "Глава" and the like: blanks, then digits, a Roman numeral or number words.
    bool numberFollows(std::size_t at) const {
        const std::size_t gap = run(at, isBlank);
        if (gap == at || gap == t_.size()) return false;
        at = gap;
        if (isDigit(t_[at])) {
            const std::size_t end = run(at, isDigit);
            return end - at <= 4 && titleMayFollow(end);
        }
        std::size_t end = run(at, isLetter);
        if (isRoman(t_.substr(at, end - at), true) && titleMayFollow(end)) return true;
        // "двадцать первая", "twenty-one".
        if (!isNumberWord(t_.substr(at, end - at))) return false;
        for (;;) {
            std::size_t next = run(end, isBlank);
            if (next < t_.size() && t_[next] == U'-' && next == end) ++next;
            const std::size_t wordEnd = run(next, isLetter);
            if (next == end || wordEnd == next || !isNumberWord(t_.substr(next, wordEnd - next)))
                return titleMayFollow(end);
            end = wordEnd;
        }
    }

    std::u32string_view t_;
    std::u32string_view raw_;
};

// A line's characters with the blanks at both ends trimmed (those inside become spaces), in a
// buffer of the most a heading may hold; nothing when more remain, or none, or when the line
// cannot begin a heading.
struct Trimmed {
    std::array<char32_t, kMaxHeadingChars> chars;
    std::size_t size = 0;
    std::u32string_view view() const { return {chars.data(), size}; }
};

// Whether a heading can begin with this character: a digit, an asterisk, the first letter of
// a heading word or a Roman numeral. Most lines of a book fail here, before being read whole.
bool mayBeginHeading(char32_t c) {
    if (isDigit(c) || c == U'*') return true;
    return std::u32string_view(U"гчпэcpeivxldm").find(fold(romanLetter(c))) !=
           std::u32string_view::npos;
}

// A first word must be a heading word or a Roman numeral: told from its first letters, so
// that a line of prose starting with "П" is not read to its end.
bool firstWordMayHead(const DisplayChars& chars, std::size_t pos, std::size_t end) {
    static constexpr std::u32string_view kWords[] = {
        U"глава", U"часть", U"chapter", U"part", U"пролог", U"эпилог", U"prologue", U"epilogue"};
    std::array<char32_t, 16> word;
    std::size_t n = 0;
    bool roman = true;
    while (pos < end) {
        const DisplayChar d = chars.at(pos);
        if (!isLetter(d.ch)) break;
        if (n == word.size()) return false;
        roman = roman && std::u32string_view(U"IVXLCDMivxlcdm").find(romanLetter(d.ch)) !=
                             std::u32string_view::npos;
        word[n++] = fold(d.ch);
        pos = d.next;
    }
    const std::u32string_view w(word.data(), n);
    return n == 0 || roman ||
           std::find(std::begin(kWords), std::end(kWords), w) != std::end(kWords);
}

bool trim(const DisplayChars& chars, Trimmed& out) {
    std::size_t begin = 0, end = chars.raw().size();
    while (begin < end && isBlank(chars.at(begin).ch)) begin = chars.at(begin).next;
    while (end > begin && isBlank(chars.at(chars.charStart(end - 1)).ch))
        end = chars.charStart(end - 1);
    // A character takes one byte, or at most four in UTF-8.
    if (begin == end || end - begin > kMaxHeadingChars * (chars.utf8() ? 4 : 1)) return false;
    if (!mayBeginHeading(chars.at(begin).ch) || !firstWordMayHead(chars, begin, end)) return false;
    std::size_t blanks = 0;  // inside the line, held back until a character follows them
    for (std::size_t pos = begin; pos < end;) {
        const DisplayChar d = chars.at(pos);
        pos = d.next;
        if (isBlank(d.ch)) {
            ++blanks;
            continue;
        }
        if (out.size + blanks >= kMaxHeadingChars) return false;
        for (; blanks; --blanks) out.chars[out.size++] = U' ';
        out.chars[out.size++] = d.ch;
    }
    return true;
}

bool isHeading(const DisplayChars& chars) {
    Trimmed text;
    if (!trim(chars, text)) return false;
    Trimmed folded = text;
    for (std::size_t i = 0; i < folded.size; ++i) folded.chars[i] = fold(folded.chars[i]);
    return Reader(folded.view(), text.view()).heading();
}

class Scanner {
  public:
    Scanner(const LineStore& lines, TextCoding coding) : lines_(lines), chars_({}, coding) {}

    bool headingAt(std::int64_t i) const {
        const std::int64_t last = lines_.upperBound();
        return span(i) <= kMaxHeadingSpan && (i == 0 || empty(i - 1)) &&
               (i == last || empty(i + 1)) && isHeading(chars_.over(lines_.line(i)));
    }

  private:
    std::uint64_t span(std::int64_t i) const {
        return lines_.lineStart(i + 1) - lines_.lineStart(i);
    }
    bool empty(std::int64_t i) const {
        // A line's content holds no CR or LF, so its first byte tells most lines apart.
        const std::uint64_t n = span(i);
        if (n == 0) return true;
        const auto first = static_cast<unsigned char>(lines_.data()[lines_.lineStart(i)]);
        if (first == '\r' || first == '\n') return true;
        if (n > kMaxEmptySpan || (first > ' ' && first < 0x80)) return false;
        const std::string_view raw = lines_.line(i);
        const DisplayChars chars = chars_.over(raw);
        for (std::size_t pos = 0; pos < raw.size();) {
            const DisplayChar d = chars.at(pos);
            if (!isBlank(d.ch)) return false;
            pos = d.next;
        }
        return true;
    }

    const LineStore& lines_;
    DisplayChars chars_;
};

}  // namespace

bool isChapterHeading(std::string_view raw, TextCoding coding) {
    return isHeading(DisplayChars(raw, coding));
}

std::int64_t nextChapterHeading(const LineStore& lines, std::int64_t from, TextCoding coding) {
    const Scanner scan(lines, coding);
    for (std::int64_t i = std::max<std::int64_t>(from + 1, 0); i <= lines.upperBound(); ++i) {
        if (scan.headingAt(i)) return i;
    }
    return -1;
}

std::int64_t prevChapterHeading(const LineStore& lines, std::int64_t from, TextCoding coding) {
    const Scanner scan(lines, coding);
    for (std::int64_t i = std::min(from - 1, lines.upperBound()); i >= 0; --i) {
        if (scan.headingAt(i)) return i;
    }
    return -1;
}

}  // namespace tresslin
