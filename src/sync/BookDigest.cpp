#include "sync/BookDigest.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <array>
#include <string>

#include "formats/ZipArchive.h"

namespace tresslin::sync {

namespace {

constexpr int kSamples = 12;
constexpr qint64 kSample = 1024;

qint64 sampleOffset(int i) {
    // 1024 << 2i for i = -1..10, where KOReader's 32-bit shift makes the first one 0.
    return i == 0 ? 0 : kSample << (2 * (i - 1));
}

QByteArray baseNameOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? path : path.mid(slash + 1);
}

}  // namespace

std::optional<QByteArray> partialMd5OfFile(const QByteArray& pathBytes) {
    const int fd = ::open(pathBytes.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    QCryptographicHash md5(QCryptographicHash::Md5);
    std::array<char, kSample> buffer;
    bool ok = true;
    for (int i = 0; i < kSamples; ++i) {
        const ssize_t n = ::pread(fd, buffer.data(), buffer.size(), sampleOffset(i));
        if (n < 0) ok = false;
        if (n <= 0) break;
        md5.addData(QByteArrayView(buffer.data(), n));
    }
    ::close(fd);
    if (!ok) return std::nullopt;
    return md5.result().toHex();
}

QByteArray partialMd5(std::string_view bytes) {
    QCryptographicHash md5(QCryptographicHash::Md5);
    for (int i = 0; i < kSamples; ++i) {
        const auto at = std::size_t(sampleOffset(i));
        if (at >= bytes.size()) break;
        md5.addData(QByteArrayView(bytes.substr(at, std::size_t(kSample))));
    }
    return md5.result().toHex();
}

QByteArray nameDigest(const QByteArray& baseName) {
    return QCryptographicHash::hash(baseName, QCryptographicHash::Md5).toHex();
}

std::optional<QByteArray> bookDigest(const BookLocation& book, DigestMethod method) {
    const QByteArray file = QByteArray::fromStdString(book.file);
    if (!book.inArchive()) {
        if (method == DigestMethod::FileName) return nameDigest(baseNameOf(file));
        return partialMd5OfFile(file);
    }
    const QByteArray entry = QByteArray::fromStdString(book.entry);
    if (method == DigestMethod::FileName) return nameDigest(baseNameOf(entry));
    const int fd = ::open(book.file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    FormatError error = FormatError::None;
    std::optional<QByteArray> digest;
    if (auto zip = ZipArchive::openFile(fd, error)) {
        std::string text;
        if (const auto i = zip->find(book.entry); i && zip->read(*i, text) == FormatError::None)
            digest = partialMd5(text);
    }
    ::close(fd);
    return digest;
}

QByteArray userKey(const QString& password) {
    return QCryptographicHash::hash(password.toUtf8(), QCryptographicHash::Md5).toHex();
}

}  // namespace tresslin::sync
