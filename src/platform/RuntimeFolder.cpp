#include "RuntimeFolder.h"

#include "FileOperations.h"
#include "PlatformLog.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RuntimeFolder {
namespace {

QString folderPath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        return QDir::cleanPath(runtime + QLatin1String("/Platterbox"));
    return QDir::cleanPath(QDir::tempPath() + QLatin1String("/Platterbox-") +
                           QString::number(geteuid()));
}

// Opened without following a link, so the checks and the chmod apply to the folder itself.
bool makePrivate(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool ours = ::fstat(fd, &info) == 0 && info.st_uid == ::geteuid();
    const bool privateNow = ours && ((info.st_mode & 07777) == 0700 || ::fchmod(fd, 0700) == 0);
    ::close(fd);
    return privateNow;
}

// The caller shows its own message; the cause goes to the log.
Status errnoFailure(int error, const char* step, const QByteArray& path) {
    const QString cause = QString::fromLocal8Bit(std::strerror(error));
    qCInfo(platformLog).nospace() << step << ' ' << path << ": " << cause;
    return Status::failure(cause);
}

// Non-blocking, so a FIFO at the place (with or without a reader) can never hang the open.
int openNoFollow(const QByteArray& path) {
    return ::open(path.constData(),
                  O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
}

// The regular file at the place, opened for writing: the name is the program's own in the
// user's private folder, so a link, a FIFO or a socket there is replaced, not written through.
int openRegularFile(const QByteArray& path) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int fd = openNoFollow(path);
        struct stat info {};
        if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
            return fd;
        if (fd >= 0)
            ::close(fd);
        else if (errno != ELOOP && errno != ENXIO) // a link; a FIFO without a reader, a socket
            return -1;
        if (::unlink(path.constData()) != 0)
            return -1;
    }
    errno = EEXIST; // something took the place again at once
    return -1;
}

using FileOperations::writeAll;

} // namespace

QString path() {
    const QString folder = folderPath();
    const QByteArray encoded = QFile::encodeName(folder);
    if (::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return makePrivate(encoded) ? folder : QString();
}

QString temporaryPlayListPath() {
    const QString name = QStringLiteral("~PLATBX~.M3U");
    const QString folder = path();
    return folder.isEmpty() ? name : folder + QLatin1Char('/') + name;
}

Status writeFileNoFollow(const QString& path, const QByteArray& bytes) {
    const QByteArray encoded = QFile::encodeName(path);
    const int fd = openRegularFile(encoded);
    if (fd < 0)
        return errnoFailure(errno, "open", encoded);
    const bool written = writeAll(fd, bytes);
    const int writeError = errno;
    if (::close(fd) != 0 && written)
        return errnoFailure(errno, "close", encoded);
    return written ? Status::ok() : errnoFailure(writeError, "write", encoded);
}

} // namespace RuntimeFolder
