#include "platform/StaleLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

namespace tresslin {

void removeAbandonedLock(const QString& file) {
    const QByteArray lock = QFile::encodeName(file + QStringLiteral(".lock"));
    struct stat st {};
    if (::stat(lock.constData(), &st) != 0 || st.st_size != 0) return;
    const int fd = ::open(lock.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return;
    // Still empty and still the same file once we hold it: nobody is writing an owner into it.
    struct stat held {};
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && held.st_size == 0 &&
        held.st_ino == st.st_ino && held.st_dev == st.st_dev)
        ::unlink(lock.constData());
    ::close(fd);
}

}  // namespace tresslin
