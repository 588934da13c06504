#include "FileOperations.h"
#include "base/PathText.h"

#include "FileHandle.h"
#include "PlatformLog.h"
#include "RawNames.h"
#include "WriteLeftovers.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <climits>
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
    return ::access(pathBytes(path).constData(), W_OK) != 0;
}

InPlaceLock::InPlaceLock(const QString& path)
    : fd_(::open(pathBytes(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}

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

QString causeOf(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The caller shows its own message; the cause goes to the log, here where the step is known.
Status systemError(int error, const char* step, const QByteArray& path) {
    const QString cause = causeOf(error);
    qCWarning(lcPlatform).nospace() << step << ' ' << path << ": " << qUtf8Printable(cause);
    return Status::failure(cause);
}

// A write done, for a developer following what the program does.
void logWritten(const QByteArray& path, qsizetype size, const char* how,
                const WriteOptions& options) {
    if (!options.oneOfMany)
        qCDebug(lcPlatform).nospace() << "wrote " << path << ": " << size << " bytes, " << how;
}

// A failed rename and why; the callers only learn that it failed.
bool renameFailed(const QByteArray& from, const QByteArray& to, const QString& cause) {
    qCWarning(lcPlatform) << "renaming" << from << "to" << to << "failed:" << qUtf8Printable(cause);
    return false;
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

bool writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return false;
        if (written == 0) {
            errno = EIO; // a write that stops with no cause given
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// What a new file's permissions come out as; asked once, the program never changes it.
mode_t newFileMode() {
    static const mode_t mode = [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return 0666 & ~mask;
    }();
    return mode;
}

int createTemporary(const QByteArray& temporary) {
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
    int fd = ::open(temporary.constData(), flags, 0600);
    if (fd < 0 && errno == EEXIST) {
        // Left behind by a process with our number that died while writing.
        ::unlink(temporary.constData());
        fd = ::open(temporary.constData(), flags, 0600);
    }
    return fd;
}

// The file a chain of symbolic links ends at (it need not exist yet); a relative link counts
// from the link's own folder. A loop stops where the system would refuse it anyway.
QByteArray linkTarget(const QByteArray& path) {
    QByteArray current = path;
    for (int hop = 0; hop < 40; ++hop) {
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t length = ::readlink(current.constData(), target.data(), size_t(PATH_MAX));
        if (length < 0 || length >= PATH_MAX)
            return current;
        target.truncate(length);
        current =
            target.startsWith('/') ? target : current.left(current.lastIndexOf('/') + 1) + target;
    }
    return current;
}

// Makes the rename itself durable; the new bytes are in place whether or not this works.
void flushFolderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : path.left(qMax(slash, qsizetype(1)));
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::fsync(fd) != 0)
        (void)systemError(errno, "fsync of the folder", folder);
    ::close(fd);
}

struct Target {
    QByteArray path;
    bool exists = false;
    bool regular = false;
    struct stat info {};
};

Target targetOf(const QByteArray& path, bool followLinks) {
    Target target;
    target.path = followLinks ? linkTarget(path) : path;
    const char* name = target.path.constData();
    target.exists = (followLinks ? ::stat(name, &target.info) : ::lstat(name, &target.info)) == 0;
    target.regular = target.exists && S_ISREG(target.info.st_mode);
    return target;
}

// One failing step of a write and its cause; the first one counts.
struct WriteError {
    const char* step = nullptr;
    int error = 0;

    explicit operator bool() const { return error != 0; }
    void check(bool done, const char* what) {
        if (!error && !done)
            step = what, error = errno ? errno : EIO;
    }
};

// Puts the old bytes back after a write over them failed, and the old length.
void restore(int fd, const QByteArray& old, const QByteArray& path, bool flush) {
    const bool back = ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, old) &&
                      ::ftruncate(fd, off_t(old.size())) == 0 && (!flush || ::fsync(fd) == 0);
    if (back)
        qCDebug(lcPlatform) << "put the old bytes of" << path << "back";
    else
        (void)systemError(errno ? errno : EIO, "restoring the old bytes of", path);
}

// The same after the file was closed (a close can report an earlier write's failure).
void restore(const QByteArray& path, const QByteArray& old, bool flush) {
    const FileHandle file(::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.isOpen())
        restore(file.fd(), old, path, flush);
    else
        (void)systemError(errno, "restoring the old bytes of", path);
}

// The folder refuses new names but the file itself may be written: the only way left is over
// the old bytes. The new size is reserved first, so a full disk stops it before any change;
// the old bytes are read first and put back when anything fails after the first one changed.
Status writeInPlace(const QByteArray& path, const QByteArray& bytes, bool flush) {
    FileHandle file(::open(path.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!file.isOpen())
        return systemError(errno, "open", path);
    const std::optional<QByteArray> old = RawNames::readRegularFile(file, path);
    const int fd = file.fd();
    WriteError failed;
    failed.check(old.has_value(), "read"); // the reading logged why
    if (!failed && !bytes.isEmpty()) {
        // posix_fallocate returns its error rather than setting errno.
        errno = ::posix_fallocate(fd, 0, off_t(bytes.size()));
        failed.check(errno == 0, "reserve");
    }
    failed.check(failed || ::lseek(fd, 0, SEEK_SET) == 0, "seek");
    const bool changing = !failed;
    failed.check(failed || writeAll(fd, bytes), "write");
    failed.check(failed || ::ftruncate(fd, off_t(bytes.size())) == 0, "truncate");
    failed.check(failed || !flush || ::fsync(fd) == 0, "fsync");
    if (failed && changing)
        restore(fd, *old, path, flush);
    else if (failed && old)
        (void)::ftruncate(fd, off_t(old->size())); // what the reservation added goes again
    const bool wasFailing = bool(failed);
    failed.check(::close(file.release()) == 0, "close");
    if (failed && !wasFailing)
        restore(path, *old, flush);
    return failed ? systemError(failed.error, failed.step, path) : Status::ok();
}

mode_t modeFor(const Target& target, const WriteOptions& options) {
    if (options.permissions)
        return mode_t(*options.permissions);
    return target.regular ? target.info.st_mode & 07777 : newFileMode();
}

// The new bytes, their mode and owner, in the temporary file, on the disk when asked for.
WriteError fillTemporary(int fd, const Target& target, const QByteArray& bytes,
                         const WriteOptions& options) {
    WriteError failed;
    failed.check(writeAll(fd, bytes), "write");
    failed.check(failed || ::fchmod(fd, modeFor(target, options)) == 0, "chmod");
    // Another user's file edited by root stays theirs (others write such a file in place). A
    // private file written without following links is always the writer's own.
    if (!failed && target.regular && options.followLinks &&
        (target.info.st_uid != ::geteuid() || target.info.st_gid != ::getegid()))
        (void)::fchown(fd, target.info.st_uid, target.info.st_gid);
    failed.check(failed || !options.flush || ::fsync(fd) == 0, "fsync");
    failed.check(::close(fd) == 0, "close");
    return failed;
}

bool isMemberOf(gid_t group) {
    const int count = ::getgroups(0, nullptr);
    QList<gid_t> groups(qMax(count, 0));
    const int listed = ::getgroups(int(groups.size()), groups.data());
    return listed > 0 && groups.first(listed).contains(group);
}

// Whether a new file of this process can have the old one's owner and group.
bool canKeepOwner(const struct stat& info) {
    static const uid_t user = ::geteuid();
    if (user == 0)
        return true;
    return info.st_uid == user && (info.st_gid == ::getegid() || isMemberOf(info.st_gid));
}

// A file that a replacement would split or take over: its other names would keep the old
// bytes, another user's file would become ours.
bool mustStaySameFile(const Target& target) {
    return target.regular && (target.info.st_nlink > 1 || !canKeepOwner(target.info));
}

Status writeInPlaceLogged(const Target& target, const QByteArray& bytes,
                          const WriteOptions& options) {
    const Status written = writeInPlace(target.path, bytes, options.flush);
    if (written.isOk())
        logWritten(target.path, bytes.size(), "in place", options);
    return written;
}

} // namespace

Status writeFile(const QByteArray& path, const QByteArray& bytes, const WriteOptions& options) {
    if (path.isEmpty()) {
        qCWarning(lcPlatform) << "writing a file without a name";
        return Status::failure(QStringLiteral("No file name"));
    }
    const Target target = targetOf(path, options.followLinks);
    if (target.exists && S_ISDIR(target.info.st_mode))
        return systemError(EISDIR, "write", target.path);
    if (target.regular && isReadOnly(target.path, target.info)) {
        qCWarning(lcPlatform).nospace() << "write " << target.path << ": the file is read-only";
        return Status::failure(QStringLiteral("The file is read-only"));
    }
    // A file written without following links is replaced whatever it is, never written in place.
    const bool inPlaceAllowed = target.regular && options.followLinks;
    if (inPlaceAllowed && mustStaySameFile(target))
        return writeInPlaceLogged(target, bytes, options);
    // Hidden, so that a listing of the folder never takes it for a song; what a killed writer
    // left under the same name goes first.
    const QByteArray temporary = WriteLeftovers::temporaryNameFor(target.path);
    if (!options.listedWithoutLeftovers)
        WriteLeftovers::removeFor(target.path);
    const int fd = createTemporary(temporary);
    if (fd < 0) {
        const int error = errno;
        if ((error == EACCES || error == EPERM) && inPlaceAllowed)
            return writeInPlaceLogged(target, bytes, options);
        return systemError(error, "create", temporary);
    }
    WriteError failed = fillTemporary(fd, target, bytes, options);
    failed.check(failed || ::rename(temporary.constData(), target.path.constData()) == 0, "rename");
    if (failed) {
        ::unlink(temporary.constData());
        // A sticky folder (/tmp) refuses to replace another user's name, not to write the file.
        if (failed.error == EPERM && std::strcmp(failed.step, "rename") == 0 && inPlaceAllowed)
            return writeInPlaceLogged(target, bytes, options);
        return systemError(failed.error, failed.step, target.path);
    }
    if (options.flush)
        flushFolderOf(target.path);
    logWritten(target.path, bytes.size(), "by rename", options);
    return Status::ok();
}

Status writeFile(const QString& path, const QByteArray& bytes, const WriteOptions& options) {
    return writeFile(pathBytes(path), bytes, options);
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
        return renameFailed(pathBytes(from), pathBytes(to), causeOf(EEXIST));
    QFile file(from);
    return file.rename(to) || renameFailed(pathBytes(from), pathBytes(to), file.errorString());
}

bool moveFile(const QByteArray& from, const QByteArray& to) {
    if (from.isEmpty() || to.isEmpty())
        return renameFailed(from, to, QStringLiteral("no name"));
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return renameFailed(from, to, causeOf(errno));
    // A file system without the no-replace rename: look first, as Qt's rename does.
    struct stat info {};
    if (::lstat(to.constData(), &info) == 0)
        return renameFailed(from, to, causeOf(EEXIST));
    if (errno != ENOENT || ::rename(from.constData(), to.constData()) != 0)
        return renameFailed(from, to, causeOf(errno));
    return true;
}

Status copyFileReplacing(const QString& from, const QString& to,
                         std::optional<unsigned> permissions) {
    const QByteArray source = pathBytes(from);
    struct stat info {};
    if (::stat(source.constData(), &info) != 0)
        return systemError(errno, "stat", source);
    const std::optional<QByteArray> bytes = RawNames::readRegularFile(source);
    if (!bytes)
        return Status::failure(causeOf(EIO)); // the reading logged why
    WriteOptions options;
    options.permissions = permissions.value_or(unsigned(info.st_mode & 0777));
    return writeFile(pathBytes(to), *bytes, options);
}

bool deleteFile(const QString& path) {
    return deleteFile(pathBytes(path));
}

bool deleteFile(const QByteArray& path) {
    // A file the user may not write counts as read-only, as on the write path: it stays.
    struct stat info {};
    if (path.isEmpty() || ::stat(path.constData(), &info) != 0 || S_ISDIR(info.st_mode) ||
        isReadOnly(path, info)) {
        qCDebug(lcPlatform) << "not deleting" << path << "(gone, a folder or read-only)";
        return false;
    }
    if (::unlink(path.constData()) != 0)
        return systemError(errno, "delete", path).isOk();
    qCDebug(lcPlatform) << "deleted" << path;
    return true;
}

bool isNameTaken(const QString& path) {
    struct stat info {};
    return ::lstat(pathBytes(path).constData(), &info) == 0;
}

bool isSameFile(const QString& first, const QString& second) {
    struct stat a {};
    struct stat b {};
    if (::stat(pathBytes(first).constData(), &a) != 0 ||
        ::stat(pathBytes(second).constData(), &b) != 0)
        return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool isRegularFile(const QString& path) {
    struct stat info {};
    return ::stat(pathBytes(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace FileOperations
