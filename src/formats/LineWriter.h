// Flattened markup text gathered into the book's UTF-8 lines.
#pragma once

#include <QStringEncoder>
#include <cstdint>
#include <cstring>
#include <string>

namespace tresslin {

// 0x80 in each byte of x that is zero, 0 in the others.
inline std::uint64_t zeroBytes(std::uint64_t x) {
    constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
    return ~(((x & low7) + low7) | x | low7);
}

// No control character and no two blanks together. Eight bytes a step: this runs over all the
// text of most books.
inline bool isSingleSpaced(const char* p, const char* end) {
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
        lineStart_ = out_.size();
        ++lines_;
        pendingBlank_ = false;
        lineEmpty_ = true;
    }
    std::int64_t lines() const { return lines_; }
    // Bytes of the line being written, so far.
    std::size_t lineBytes() const { return out_.size() - lineStart_; }
    // Nothing but blanks written since the last line ended.
    bool lineEmpty() const { return lineEmpty_; }

  private:
    std::string& out_;
    QStringEncoder encoder_{QStringEncoder::Utf8};
    std::int64_t lines_ = 0;
    std::size_t lineStart_ = out_.size();
    bool pendingBlank_ = false;
    bool lineEmpty_ = true;
};

}  // namespace tresslin
