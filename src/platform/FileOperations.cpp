#include "FileOperations.h"

#include "PlatformLog.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileOperations {

bool isReadOnlyFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return false;
    const QFile::Permissions writeBits = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (!(info.permissions() & writeBits))
        return true; // read-only even for root, as the read-only attribute is on Windows
    return ::access(QFile::encodeName(path).constData(), W_OK) != 0;
}

Status writeFileAtomically(const QString& path, const QByteArray& bytes) {
    if (isReadOnlyFile(path))
        return Status::failure(QStringLiteral("The file is read-only"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Status::failure(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return Status::failure(error);
    }
    if (!file.commit())
        return Status::failure(file.errorString());
    return Status::ok();
}

namespace {

bool isFolderWritable(const QString& path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    return ::access(folder.constData(), W_OK) == 0;
}

Status overwriteInPlace(const QString& path, const QByteArray& bytes);

} // namespace

Status writeFileAtomicallyOrInPlace(const QString& path, const QByteArray& bytes) {
    const Status atomic = writeFileAtomically(path, bytes);
    if (atomic.failed() && !isFolderWritable(path) && isRegularFile(path) && !isReadOnlyFile(path))
        return overwriteInPlace(path, bytes);
    return atomic;
}

InPlaceLock::InPlaceLock(const QString& path)
    : fd_(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}

InPlaceLock::~InPlaceLock() {
    if (fd_ >= 0)
        ::close(fd_); // releases the lock
}

bool InPlaceLock::tryLock(int waitMsecs) {
    const QDeadlineTimer deadline(waitMsecs);
    while (fd_ >= 0) {
        if (::flock(fd_, LOCK_EX | LOCK_NB) == 0)
            return true;
        if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return false;
}

namespace {

// The caller shows its own message; the cause goes to the log.
Status systemError(int error, const char* step, const QByteArray& path) {
    const QString cause = QString::fromLocal8Bit(std::strerror(error));
    qCInfo(platformLog).nospace() << step << ' ' << path << ": " << cause;
    return Status::failure(cause);
}

// The rule of isReadOnlyFile() on a stat we already have: root and the owner need no
// question to the system, only someone else's access does.
bool isReadOnly(const QByteArray& path, const struct stat& info) {
    if (!(info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        return true;
    static const uid_t user = ::geteuid();
    if (user == 0)
        return false;
    if (info.st_uid == user)
        return !(info.st_mode & S_IWUSR);
    return ::access(path.constData(), W_OK) != 0;
}

} // namespace

bool writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

namespace {

// What a new file's permissions come out as; asked once, the program never changes it.
mode_t newFileMode() {
    static const mode_t mode = [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return 0666 & ~mask;
    }();
    return mode;
}

// A hidden name beside the target, so that a listing of the folder never takes it for a song.
QByteArray temporaryNameFor(const QByteArray& path) {
    static const pid_t process = ::getpid();
    const qsizetype slash = path.lastIndexOf('/') + 1;
    // Shortened, so that a name near the file system's limit still gets its temporary file.
    return path.left(slash) + '.' + path.mid(slash, 200) + '.' + QByteArray::number(process) +
           ".tmp";
}

int createTemporary(const QByteArray& temporary) {
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
    int fd = ::open(temporary.constData(), flags, 0666);
    if (fd < 0 && errno == EEXIST) {
        // Left behind by a process with our number that died while writing.
        ::unlink(temporary.constData());
        fd = ::open(temporary.constData(), flags, 0666);
    }
    return fd;
}

// Written first and cut after, so a failure leaves the old bytes beyond the new ones rather
// than an empty file.
Status overwriteInPlace(const QString& path, const QByteArray& bytes) {
    const QByteArray encoded = QFile::encodeName(path);
    const int fd = ::open(encoded.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return systemError(errno, "open", encoded);
    struct stat info {};
    bool written = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && writeAll(fd, bytes) &&
                   ::ftruncate(fd, off_t(bytes.size())) == 0 && ::fsync(fd) == 0;
    const int error = errno;
    if (::close(fd) != 0 && written)
        return systemError(errno, "close", encoded);
    return written ? Status::ok() : systemError(error ? error : EINVAL, "write", encoded);
}

Status replaceFile(const QByteArray& path, const QByteArray& bytes, bool flush) {
    struct stat old {};
    const bool replacing = ::stat(path.constData(), &old) == 0;
    if (replacing && (S_ISDIR(old.st_mode) || isReadOnly(path, old)))
        return Status::failure(QStringLiteral("The file is read-only"));
    const QByteArray temporary = temporaryNameFor(path);
    const int fd = createTemporary(temporary);
    if (fd < 0)
        return systemError(errno, "create", temporary);
    bool written = writeAll(fd, bytes);
    int error = errno;
    const mode_t mode = old.st_mode & 07777;
    if (written && replacing && mode != newFileMode() && ::fchmod(fd, mode) != 0)
        error = errno, written = false;
    if (written && flush && ::fsync(fd) != 0)
        error = errno, written = false;
    if (::close(fd) != 0 && written)
        error = errno, written = false;
    if (written && ::rename(temporary.constData(), path.constData()) == 0)
        return Status::ok();
    if (written)
        error = errno;
    ::unlink(temporary.constData());
    return systemError(error, "replace", path);
}

} // namespace

Status writeFileAtomically(const QByteArray& path, const QByteArray& bytes) {
    return replaceFile(path, bytes, true);
}

Status replaceFileUnflushed(const QByteArray& path, const QByteArray& bytes) {
    return replaceFile(path, bytes, false);
}

Status flushFileSystem(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return systemError(errno, "open", path);
    const int result = ::syncfs(fd);
    const int error = errno;
    ::close(fd);
    return result == 0 ? Status::ok() : systemError(error, "syncfs", path);
}

bool moveFile(const QString& from, const QString& to) {
    if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
        return false;
    return QFile::rename(from, to);
}

bool moveFile(const QByteArray& from, const QByteArray& to) {
    if (from.isEmpty() || to.isEmpty())
        return false;
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace rename: look first, as Qt's rename does.
    struct stat info {};
    return ::lstat(to.constData(), &info) != 0 && errno == ENOENT &&
           ::rename(from.constData(), to.constData()) == 0;
}

bool copyFileReplacing(const QString& from, const QString& to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        return false;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = source.read(buffer, sizeof buffer);
        if (n < 0 || (n > 0 && target.write(buffer, n) != n)) {
            target.cancelWriting();
            return false;
        }
        if (n == 0)
            break;
    }
    if (!target.commit())
        return false;
    // Keep the executable bits of a program copy.
    QFile::setPermissions(to, source.permissions());
    return true;
}

bool deleteFile(const QString& path) {
    return deleteFile(QFile::encodeName(path));
}

bool deleteFile(const QByteArray& path) {
    // A file the user may not write counts as read-only, as on the write path: it stays.
    struct stat info {};
    if (path.isEmpty() || ::stat(path.constData(), &info) != 0 || S_ISDIR(info.st_mode) ||
        isReadOnly(path, info))
        return false;
    return ::unlink(path.constData()) == 0;
}

bool isNameTaken(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

bool isSameFile(const QString& first, const QString& second) {
    struct stat a {};
    struct stat b {};
    if (::stat(QFile::encodeName(first).constData(), &a) != 0 ||
        ::stat(QFile::encodeName(second).constData(), &b) != 0)
        return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool isRegularFile(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace FileOperations
