#include "RawNames.h"
#include "FolderReader.h"
#include "PlatformLog.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RawNames {

bool exists(const QByteArray& path) {
    struct stat info {};
    return !path.isEmpty() && ::stat(path.constData(), &info) == 0;
}

bool isFolder(const QByteArray& path) {
    struct stat info {};
    return !path.isEmpty() && ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::optional<FileStatus> status(const QByteArray& path) {
    struct statx info {};
    if (path.isEmpty() ||
        ::statx(AT_FDCWD, path.constData(), AT_STATX_SYNC_AS_STAT,
                STATX_TYPE | STATX_INO | STATX_SIZE | STATX_MTIME | STATX_BTIME, &info) != 0)
        return std::nullopt;
    const auto nanoseconds = [](const statx_timestamp& time) {
        return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
    };
    FileStatus result;
    result.isFolder = S_ISDIR(info.stx_mode);
    result.isRegular = S_ISREG(info.stx_mode);
    result.size = qint64(info.stx_size);
    result.modifiedNs = nanoseconds(info.stx_mtime);
    result.bornNs = (info.stx_mask & STATX_BTIME) ? nanoseconds(info.stx_btime) : 0;
    result.device = (quint64(info.stx_dev_major) << 32) | info.stx_dev_minor;
    result.inode = info.stx_ino;
    return result;
}

bool isWritable(const QByteArray& path) {
    return ::access(path.constData(), W_OK) == 0;
}

std::optional<QByteArray> realPath(const QByteArray& path) {
    char* resolved = ::realpath(path.constData(), nullptr);
    if (!resolved)
        return std::nullopt;
    QByteArray result(resolved);
    ::free(resolved);
    return result;
}

namespace {
// Every caller turns a failed read into its own message; the cause is known only here.
void logReadFailure(const char* step, const QByteArray& path, const char* cause) {
    qCWarning(lcPlatform).nospace() << step << ' ' << path << ": " << cause;
}
} // namespace

std::optional<QByteArray> readRegularFile(const QByteArray& path, const ReadEnough& enough,
                                          qint64 sizeLimit) {
    const FileHandle file(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.isOpen()) {
        logReadFailure("open", path, std::strerror(errno));
        return std::nullopt;
    }
    return readRegularFile(file, path, enough, sizeLimit);
}

std::optional<QByteArray> readRegularFile(const FileHandle& file, const QByteArray& path,
                                          const ReadEnough& enough, qint64 sizeLimit) {
    struct stat info {};
    if (::fstat(file.fd(), &info) != 0 || !S_ISREG(info.st_mode)) {
        logReadFailure("read", path, "not a regular file");
        return std::nullopt;
    }
    if (sizeLimit >= 0 && info.st_size >= sizeLimit) {
        logReadFailure("read", path, "too large");
        return std::nullopt;
    }
    QByteArray content;
    char buffer[65536];
    ssize_t got = 0;
    while ((got = ::read(file.fd(), buffer, sizeof buffer)) > 0) {
        const qsizetype before = content.size();
        content.append(buffer, got);
        if (enough && enough(content, before))
            break;
        // Room for the rest at once: a file of many megabytes is not copied while it grows.
        if (before == 0)
            content.reserve(qMax(qsizetype(info.st_size), content.size()));
    }
    if (got < 0) {
        logReadFailure("read", path, std::strerror(errno));
        return std::nullopt;
    }
    return content;
}

FileHandle openRegularFile(const QByteArray& path) {
    FileHandle file(::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!file.isOpen()) {
        logReadFailure("open", path, std::strerror(errno));
        return {};
    }
    if (::fstat(file.fd(), &info) != 0 || !S_ISREG(info.st_mode)) {
        logReadFailure("read", path, "not a regular file");
        return {};
    }
    return file;
}

bool readAt(const FileHandle& file, const QByteArray& path, qint64 offset, qsizetype bytes,
            QByteArray& into) {
    const qsizetype before = into.size();
    into.resize(before + bytes);
    qsizetype got = 0;
    while (got < bytes) {
        const ssize_t read = ::pread(file.fd(), into.data() + before + got, size_t(bytes - got),
                                     off_t(offset + got));
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0) {
            into.truncate(before);
            logReadFailure("read", path, std::strerror(errno));
            return false;
        }
        if (read == 0)
            break;
        got += read;
    }
    into.truncate(before + got);
    return true;
}

std::optional<QList<QByteArray>> folderNames(const QByteArray& folder) {
    QByteArray block;
    if (!appendFolderNames(folder, block))
        return std::nullopt;
    QList<QByteArray> names;
    for (qsizetype at = 0; at < block.size(); at += names.constLast().size() + 1)
        names.append(QByteArray(block.constData() + at));
    return names;
}

bool appendFolderNames(const QByteArray& folder, QByteArray& names) {
    FolderReader reader;
    bool unused = false;
    return reader.list(folder, names, {}, unused);
}

} // namespace RawNames
