#include "book/BookLocation.h"

#include <optional>

namespace tresslin {

namespace {

constexpr std::string_view kPrefix = "zip:";

void escape(std::string_view in, std::string& out) {
    static constexpr char hex[] = "0123456789ABCDEF";
    for (const char c : in) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '%' || c == '#' || b < 0x20 || b == 0x7F) {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 15];
        } else {
            out += c;
        }
    }
}

std::optional<std::string> unescape(std::string_view in) {
    const auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '%') {
            out += in[i];
            continue;
        }
        if (i + 2 >= in.size()) return std::nullopt;
        const int hi = digit(in[i + 1]), lo = digit(in[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += char(hi * 16 + lo);
        i += 2;
    }
    return out;
}

}  // namespace

std::string locationBytes(const BookLocation& location) {
    if (!location.inArchive()) return location.file;
    std::string out(kPrefix);
    escape(location.file, out);
    out += '#';
    escape(location.entry, out);
    return out;
}

BookLocation locationFromBytes(std::string_view bytes) {
    BookLocation plain{std::string(bytes), {}};
    if (!bytes.starts_with(kPrefix)) return plain;
    bytes.remove_prefix(kPrefix.size());
    const std::size_t hash = bytes.find('#');
    if (hash == bytes.npos) return plain;
    auto archive = unescape(bytes.substr(0, hash));
    auto entry = unescape(bytes.substr(hash + 1));
    if (!archive || !entry || archive->empty() || entry->empty()) return plain;
    return BookLocation{*std::move(archive), *std::move(entry)};
}

}  // namespace tresslin
