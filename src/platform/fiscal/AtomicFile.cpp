#include "platform/fiscal/AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace fiscal {

namespace {

// A descriptor closed on every way out.
struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

QString systemError(const QString& what) {
    return what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
}

bool fail(QString* error, const QString& text) {
    if (error) *error = text;
    return false;
}

}  // namespace

bool writeWhole(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

void syncFolderOf(const QString& path) {
    Fd dir;
    dir.fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir.fd >= 0) ::fsync(dir.fd);
}

QString temporaryPathFor(const QString& path) { return path + QStringLiteral(".tmp"); }

void removeStaleTemporaries(const QString& path) { QFile::remove(temporaryPathFor(path)); }

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    const QString folder = QFileInfo(path).absolutePath();
    const QByteArray target = QFile::encodeName(path);
    const QByteArray temporary = QFile::encodeName(temporaryPathFor(path));

    Fd file;
    // An unnamed file vanishes with the process that writes it: only a kill
    // between the link and the rename below can leave a temporary behind.
    bool unnamed = false;
#ifdef O_TMPFILE
    file.fd = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    unnamed = file.fd >= 0;
#endif
    if (!unnamed) {
        file.fd = ::open(temporary.constData(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0644);
        if (file.fd < 0) return fail(error, systemError(temporaryPathFor(path)));
    }
    if (!writeWhole(file.fd, bytes)) {
        const QString text = systemError(path);
        if (!unnamed) ::unlink(temporary.constData());
        return fail(error, text);
    }
    if (::fsync(file.fd) != 0) {
        const QString text = systemError(path);
        if (!unnamed) ::unlink(temporary.constData());
        return fail(error, text);
    }
    if (unnamed) {
        ::unlink(temporary.constData());
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(file.fd);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, temporary.constData(), AT_SYMLINK_FOLLOW) != 0)
            return fail(error, systemError(temporaryPathFor(path)));
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const QString text = systemError(path);
        ::unlink(temporary.constData());
        return fail(error, text);
    }
    // The new name itself must reach the disk, or a power cut may bring the
    // old file back after the program went on as if the new one were there.
    syncFolderOf(path);
    return true;
}

}  // namespace fiscal
