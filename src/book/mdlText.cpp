#include "mdlText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

#include "mdlService.h"

namespace tresslin {

std::uint64_t LineStore::contentEnd(std::int64_t i) const {
    const std::uint64_t b = starts_[std::size_t(i)];
    std::uint64_t e = starts_[std::size_t(i) + 1];
    const char* t = text_.data();
    // The span ends with CR, CR LF, or (last line only) nothing. A LF at the end of the span is
    // a terminator only when a CR stands before it.
    if (e > b && t[e - 1] == '\n' && e - 1 > b && t[e - 2] == '\r')
        e -= 2;
    else if (e > b && t[e - 1] == '\r')
        e -= 1;
    return e;
}

std::int64_t LineStore::lineAt(std::uint64_t pos) const {
    const std::uint64_t* first = starts_.data();
    const std::uint64_t* last = first + size();
    const std::uint64_t* it = std::upper_bound(first, last, pos);
    return std::int64_t(it - first) - 1;
}

bool LineStoreBuilder::reserveText(std::size_t bytes) {
    // One spare byte so that an empty file still has a buffer.
    return store_.text_.reserve(bytes + 1) && store_.starts_.push_back(0);
}

bool LineStoreBuilder::addBytes(std::size_t filled, bool final) {
    auto& text = store_.text_;
    auto& starts = store_.starts_;
    const char* t = text.data();
    filled_ = filled;
    // A CR as the very last byte read so far needs the next byte to know its terminator's
    // length, so it is left for the next call unless no bytes follow.
    const std::size_t limit = final ? filled : (filled ? filled - 1 : 0);
    if (scanned_ == 0 && starts[0] == 0 && (filled >= 3 || final)) {
        // A UTF-8 byte-order mark is no part of the first line.
        if (filled >= 3 && std::memcmp(t, "\xEF\xBB\xBF", 3) == 0) {
            starts[0] = 3;
            scanned_ = 3;
        }
    }
    std::size_t pos = scanned_;
    while (pos < limit) {
        const void* hit = std::memchr(t + pos, '\r', limit - pos);
        if (!hit) {
            pos = limit;
            break;
        }
        std::size_t cr = std::size_t(static_cast<const char*>(hit) - t);
        std::size_t next = cr + 1;
        if (next < filled && t[next] == '\n') ++next;
        if (next < filled || !final) {
            if (next >= filled) {
                // CR was the last byte and more may follow: retry it later.
                pos = cr;
                break;
            }
            if (!starts.push_back(next)) return false;
        }
        pos = next;
    }
    scanned_ = std::min(pos, filled);
    if (final) {
        if (starts.size() > std::size_t(INT32_MAX)) return false;
        if (!starts.push_back(filled)) return false;
        if (!text.resize(filled)) return false;
        starts.shrinkToFit();
    }
    return true;
}

LineStore LineStoreBuilder::take() { return std::move(store_); }

bool SplitBookLines(std::string_view bytes, LineStore& bookLines) {
    LineStoreBuilder b;
    if (!b.reserveText(bytes.size())) return false;
    if (!bytes.empty()) std::memcpy(b.textData(), bytes.data(), bytes.size());
    if (!b.addBytes(bytes.size(), true)) return false;
    bookLines = b.take();
    return true;
}

namespace {
struct Fd {
    int fd;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};
}  // namespace

bool ReadBookLines(const std::string& path, LineStore& bookLines) {
    if (!FileExists(path)) return false;
    Fd f{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)};
    if (f.fd < 0) return false;
    struct stat st {};
    // Check again on the open descriptor: the path may have been replaced meanwhile.
    if (::fstat(f.fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) return false;
    const std::size_t expected = std::size_t(st.st_size);
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(f.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    LineStoreBuilder b;
    if (!b.reserveText(expected)) return false;
    // Read what the file held when opened; a file that grows meanwhile is not followed, one that
    // shrinks ends early. Splitting each chunk while it is still in cache.
    constexpr std::size_t kChunk = 4u << 20;
    std::size_t filled = 0;
    while (filled < expected) {
        const std::size_t want = std::min(kChunk, expected - filled);
        const ssize_t n = ::read(f.fd, b.textData() + filled, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        filled += std::size_t(n);
        if (!b.addBytes(filled, false)) return false;
    }
    if (!b.addBytes(filled, true)) return false;
    bookLines = b.take();
    return true;
}

}  // namespace tresslin
