// A zip archive read through libzip, which is loaded when the first archive is opened.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/BookFormats.h"

struct zip;

namespace tresslin {

struct ZipEntry {
    std::string name;  // as the archive holds it
    std::uint64_t size = 0, compressed = 0;
    bool folder = false;
};

class ZipArchive {
  public:
    // Nothing, with error set, when the archive cannot be opened. fd stays the caller's.
    static std::unique_ptr<ZipArchive> openFile(int fd, FormatError& error);
    // bytes must outlive the archive.
    static std::unique_ptr<ZipArchive> openBytes(std::string_view bytes, FormatError& error);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    const std::vector<ZipEntry>& entries() const { return entries_; }
    // The entry of exactly that name.
    std::optional<std::size_t> find(std::string_view name) const;
    // Reads entry i whole. The limits on size and ratio hold for everything read from the
    // archive together, not for each entry alone: a book of many entries is one book.
    FormatError read(std::size_t i, std::string& out);
    // The first bytes of entry i, at most n, inflated without a check of its checksum: enough to
    // tell what the entry is. What all peeks inflate together is held to kMaxEntryBytes.
    FormatError peek(std::size_t i, std::size_t n, std::string& out);

  private:
    ZipArchive() = default;
    static std::unique_ptr<ZipArchive> open(zip* archive, FormatError& error);

    zip* zip_ = nullptr;
    std::vector<ZipEntry> entries_;
    std::uint64_t read_ = 0, readCompressed_ = 0, peeked_ = 0;
};

}  // namespace tresslin
