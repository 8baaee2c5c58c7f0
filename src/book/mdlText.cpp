#include "book/mdlText.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "book/CpuFeatures.h"
#include "book/mdlService.h"

namespace tresslin {

namespace {

// Line splitting looks at a block of bytes at a time: first a bitmap of where its lines end,
// built with the widest vector instructions the processor has, then one step per line instead of
// a memchr call. Every LF ends a line, and so does every CR that no LF follows: a CR LF pair then
// ends at its LF, one bit per terminator, told from the byte itself and the one after it.
constexpr std::size_t kBlockWords = 64;
constexpr std::size_t kBlockBytes = kBlockWords * 64;

// The byte just past the n given (p[n]) must be readable, here and in the vector versions.
std::uint64_t endBitsTail(const char* p, std::size_t n) {
    std::uint64_t m = 0;
    for (std::size_t i = 0; i < n; ++i)
        m |= std::uint64_t(p[i] == '\n' || (p[i] == '\r' && p[i + 1] != '\n')) << i;
    return m;
}

#ifdef TRESSLIN_X86
// The line ends among 32 bytes, one bit each (q[32] must be readable).
__attribute__((target("avx2"), always_inline)) inline std::uint32_t endsAvx2(const char* q) {
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i lf = _mm256_set1_epi8('\n');
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
    const __m256i after = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 1));
    const __m256i e = _mm256_or_si256(
        _mm256_cmpeq_epi8(v, lf),
        _mm256_andnot_si256(_mm256_cmpeq_epi8(after, lf), _mm256_cmpeq_epi8(v, cr)));
    return std::uint32_t(_mm256_movemask_epi8(e));
}

// Each marks the line ends of up to kBlockBytes bytes in bits (one word per 64 bytes) and
// returns which words hold any, so that the words without one cost no branch.
__attribute__((target("avx2"))) std::uint64_t markEndsAvx2(const char* p, std::size_t n,
                                                           std::uint64_t* bits) {
    std::uint64_t any = 0;
    std::size_t i = 0, w = 0;
    for (; i + 64 <= n; i += 64, ++w) {
        bits[w] = (std::uint64_t(endsAvx2(p + i + 32)) << 32) | endsAvx2(p + i);
        any |= std::uint64_t(bits[w] != 0) << w;
    }
    if (i < n) {
        bits[w] = endBitsTail(p + i, n - i);
        any |= std::uint64_t(bits[w] != 0) << w;
    }
    return any;
}

std::uint64_t markEndsSse2(const char* p, std::size_t n, std::uint64_t* bits) {
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    std::uint64_t any = 0;
    std::size_t i = 0, w = 0;
    for (; i + 64 <= n; i += 64, ++w) {
        std::uint64_t m = 0;
        for (int k = 0; k < 4; ++k) {
            const char* q = p + i + 16 * k;
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
            const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 1));
            const __m128i e =
                _mm_or_si128(_mm_cmpeq_epi8(v, lf),
                             _mm_andnot_si128(_mm_cmpeq_epi8(after, lf), _mm_cmpeq_epi8(v, cr)));
            m |= std::uint64_t(std::uint32_t(_mm_movemask_epi8(e))) << (16 * k);
        }
        bits[w] = m;
        any |= std::uint64_t(m != 0) << w;
    }
    if (i < n) {
        bits[w] = endBitsTail(p + i, n - i);
        any |= std::uint64_t(bits[w] != 0) << w;
    }
    return any;
}
#else
std::uint64_t markEndsPlain(const char* p, std::size_t n, std::uint64_t* bits) {
    std::uint64_t any = 0;
    for (std::size_t i = 0, w = 0; i < n; i += 64, ++w) {
        bits[w] = endBitsTail(p + i, std::min<std::size_t>(64, n - i));
        any |= std::uint64_t(bits[w] != 0) << w;
    }
    return any;
}
#endif

using MarkEnds = std::uint64_t (*)(const char*, std::size_t, std::uint64_t*);

MarkEnds chooseMarkEnds() {
#ifdef TRESSLIN_X86
    return haveAvx2() ? markEndsAvx2 : markEndsSse2;
#else
    return markEndsPlain;
#endif
}

}  // namespace

std::uint64_t LineStore::contentEnd(std::int64_t i) const {
    const std::uint64_t b = starts_[std::size_t(i)];
    std::uint64_t e = starts_[std::size_t(i) + 1];
    const char* t = text_.data();
    // Every CR and LF ends a line, so they stand only at the end of a span: CR, LF, CR LF, or
    // (last line only) nothing.
    if (e > b && t[e - 1] == '\n') --e;
    if (e > b && t[e - 1] == '\r') --e;
    return e;
}

std::int64_t LineStore::lineAt(std::uint64_t pos) const {
    const std::uint64_t* first = starts_.data();
    const std::uint64_t* last = first + size();
    const std::uint64_t* it = std::upper_bound(first, last, pos);
    return std::int64_t(it - first) - 1;
}

bool LineStoreBuilder::reserveText(std::size_t bytes) {
    // Room for the offsets of lines of 32 bytes on average, so that growing them rarely moves
    // anything; pages never written take no memory. Best effort: they grow anyway.
    if (bytes >= (1u << 20)) (void)store_.starts_.reserve(bytes / 32);
    // One spare byte so that an empty file still has a buffer.
    return store_.text_.reserve(bytes + 1) && store_.starts_.push_back(0);
}

bool LineStoreBuilder::addBytes(std::size_t filled, bool final) {
    auto& text = store_.text_;
    auto& starts = store_.starts_;
    const char* t = text.data();
    filled_ = filled;
    // Whether a byte ends a line depends on the byte after it, so the last byte read so far waits
    // for the next call. The file's last byte ends no line either way: a final terminator starts
    // no further line.
    const std::size_t limit = filled ? filled - 1 : 0;
    // A byte-order mark cannot be told before three bytes have come (a read may return fewer):
    // scan nothing until then.
    if (scanned_ == 0 && starts[0] == 0 && filled < 3 && !final) return true;
    if (scanned_ == 0 && starts[0] == 0 && (filled >= 3 || final)) {
        // A UTF-8 byte-order mark is no part of the first line.
        if (filled >= 3 && std::memcmp(t, "\xEF\xBB\xBF", 3) == 0) {
            starts[0] = 3;
            scanned_ = 3;
        }
    }
    static const MarkEnds markEnds = chooseMarkEnds();
    for (std::size_t block = scanned_; block < limit; block += kBlockBytes) {
        const std::size_t n = std::min(limit - block, kBlockBytes);
        // Room for a line at every byte of the block, so the offsets go straight in.
        const std::size_t need = starts.size() + n;
        if (need > starts.capacity() && !starts.reserve(std::max(need, starts.capacity() * 2)))
            return false;
        std::uint64_t* const first = starts.data() + starts.size();
        std::uint64_t* out = first;
        std::uint64_t bits[kBlockWords];
        for (std::uint64_t any = markEnds(t + block, n, bits); any; any &= any - 1) {
            const std::size_t w = std::size_t(__builtin_ctzll(any));
            std::uint64_t m = bits[w];
            do {
                *out++ = block + w * 64 + std::size_t(__builtin_ctzll(m)) + 1;
            } while (m &= m - 1);
        }
        (void)starts.resize(starts.size() + std::size_t(out - first));
    }
    scanned_ = std::max(scanned_, limit);
    if (final) {
        if (starts.size() > std::size_t(INT32_MAX)) return false;
        if (!starts.push_back(filled)) return false;
        if (!text.resize(filled)) return false;
        starts.shrinkToFit();
    }
    return true;
}

LineStore LineStoreBuilder::take() {
    return std::move(store_);
}

bool splitBookLines(std::string_view bytes, LineStore& bookLines) {
    LineStoreBuilder b;
    if (!b.reserveText(bytes.size())) return false;
    if (!bytes.empty()) std::memcpy(b.textData(), bytes.data(), bytes.size());
    if (!b.addBytes(bytes.size(), true)) return false;
    bookLines = b.take();
    return true;
}

namespace {
// Faults a large buffer in on another core while this one copies and splits: the kernel clears
// every fresh page before handing it over, a fifth of the time of a load. Pages the reader
// reaches first it faults in itself, so the result never depends on which side wins.
class prefault {
  public:
    prefault(char* p, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
        if (bytes < (32u << 20)) return;
        try {
            thread_ = std::thread([this, p, bytes] {
                constexpr std::size_t kStep = 4u << 20;
                for (std::size_t off = 0; off < bytes && !stop_.load(std::memory_order_relaxed);
                     off += kStep) {
                    if (::madvise(p + off, std::min(kStep, bytes - off), MADV_POPULATE_WRITE) != 0)
                        return;
                }
            });
        } catch (const std::system_error&) {
            // No thread to spare: the reader faults the pages in as it goes.
        }
#else
        (void)p;
        (void)bytes;
#endif
    }
    ~prefault() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }

  private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
}  // namespace

BookFile::BookFile(const std::string& path) {
    // A path of blanks names no book; one holding a NUL would name another file.
    if (path.find_first_not_of(' ') == std::string::npos || path.find('\0') != std::string::npos)
        return;
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat st {};
    if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0)) {
        ::close(fd_);
        fd_ = -1;
    }
    size_ = fd_ >= 0 ? std::uint64_t(st.st_size) : 0;
}

BookFile::~BookFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool ReadBookLines(const std::string& path, LineStore& bookLines) {
    const BookFile file(path);
    return file.isOpen() && ReadBookLines(file, bookLines);
}

namespace {
// The format's look at the start may have moved the offset.
bool rewind(const BookFile& file) {
    if (!file.isOpen() || ::lseek(file.fd(), 0, SEEK_SET) != 0) return false;
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(file.fd(), 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    return true;
}

// A read that EINTR does not end; 0 at the end of the file, -1 on failure.
ssize_t readSome(int fd, char* to, std::size_t want) {
    for (;;) {
        const ssize_t n = ::read(fd, to, want);
        if (n >= 0 || errno != EINTR) return n;
    }
}
}  // namespace

bool ReadUtf16BookLines(const BookFile& file, Utf16Order order, LineStore& bookLines) {
    if (!rewind(file)) return false;
    const std::size_t expected = std::size_t(file.size());
    LineStoreBuilder b;
    if (!b.reserveText(Utf16Decoder::maxOutput(expected))) return false;
    // UTF-8 never takes fewer bytes than the units: that much is faulted in ahead, never more.
    prefault prefault(b.textData(), expected / 2);
    // Pieces small enough that the converted text is still in cache when it is split.
    constexpr std::size_t kPiece = 256u << 10;
    std::unique_ptr<char[]> piece(new (std::nothrow) char[kPiece]);
    if (!piece) return false;
    Utf16Decoder decoder(order);
    std::size_t read = 0, filled = 0;
    while (read < expected) {
        const ssize_t n = readSome(file.fd(), piece.get(), std::min(kPiece, expected - read));
        if (n < 0) return false;
        if (n == 0) break;
        read += std::size_t(n);
        filled += decoder.convert({piece.get(), std::size_t(n)}, b.textData() + filled, false);
        if (!b.addBytes(filled, false)) return false;
    }
    filled += decoder.convert({}, b.textData() + filled, true);
    if (!b.addBytes(filled, true)) return false;
    bookLines = b.take();
    return true;
}

bool ReadBookLines(const BookFile& file, LineStore& bookLines) {
    if (!rewind(file)) return false;
    const int fd = file.fd();
    const std::size_t expected = std::size_t(file.size());
    LineStoreBuilder b;
    if (!b.reserveText(expected)) return false;
    prefault prefault(b.textData(), expected);
    // Read what the file held when opened; a file that grows meanwhile is not followed, one that
    // shrinks ends early. Splitting each chunk while it is still in cache.
    constexpr std::size_t kChunk = 4u << 20;
    std::size_t filled = 0;
    while (filled < expected) {
        const std::size_t want = std::min(kChunk, expected - filled);
        const ssize_t n = readSome(fd, b.textData() + filled, want);
        if (n < 0) return false;
        if (n == 0) break;
        filled += std::size_t(n);
        if (!b.addBytes(filled, false)) return false;
    }
    if (!b.addBytes(filled, true)) return false;
    bookLines = b.take();
    return true;
}

}  // namespace tresslin
