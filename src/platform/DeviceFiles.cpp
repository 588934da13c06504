#include "DeviceFiles.h"

#include "FileHandle.h"
#include "PlatformLog.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace DeviceFiles {

namespace {

constexpr long ExFatMagic = 0x2011BAB0;
constexpr long FuseMagic = 0x65735546;
// Large enough that a song is a few system calls, small enough for Abort to answer at once.
constexpr qint64 ChunkBytes = qint64(8) << 20;
constexpr qint64 BufferBytes = qint64(1) << 20;

QString causeOf(const char* step, int error) {
    return QLatin1String(step) + QLatin1String(": ") + QString::fromLocal8Bit(std::strerror(error));
}

// A FUSE mount (exfat-fuse) says only "fuseblk": the boot sector of its device tells.
std::optional<QByteArray> mountSourceOf(quint64 device) {
    QFile info(QStringLiteral("/proc/self/mountinfo"));
    if (!info.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray wanted =
        QByteArray::number(major(device)) + ':' + QByteArray::number(minor(device));
    for (const QByteArray& line : info.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (fields.size() > 2 && fields.at(2) == wanted && dash > 0 && dash + 2 < fields.size())
            return fields.at(dash + 2);
    }
    return std::nullopt;
}

FileSystemKind kindOfBootSector(const QByteArray& device) {
    FileHandle file(::open(device.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    char sector[512];
    if (!file.isOpen() || ::pread(file.fd(), sector, sizeof sector, 0) != qsizetype(sizeof sector))
        return FileSystemKind::Other;
    const QByteArrayView boot(sector, sizeof sector);
    if (boot.sliced(3, 8) == "EXFAT   ")
        return FileSystemKind::ExFat;
    if (boot.sliced(82, 5) == "FAT32" || boot.sliced(54, 3) == "FAT")
        return FileSystemKind::Fat;
    return FileSystemKind::Other;
}

FileSystemKind kindOf(long type, quint64 device) {
    if (type == MSDOS_SUPER_MAGIC)
        return FileSystemKind::Fat;
    if (type == ExFatMagic)
        return FileSystemKind::ExFat;
    if (type != FuseMagic)
        return FileSystemKind::Other;
    const std::optional<QByteArray> source = mountSourceOf(device);
    return source && source->startsWith("/dev/") ? kindOfBootSector(*source)
                                                 : FileSystemKind::Other;
}

} // namespace

std::optional<Volume> volumeOf(const QByteArray& folder, QString* cause) {
    struct stat folderStatus {};
    struct statvfs space {};
    struct statfs system {};
    const char* step = ::stat(folder.constData(), &folderStatus) != 0 ? "stat"
                       : ::statvfs(folder.constData(), &space) != 0   ? "statvfs"
                       : ::statfs(folder.constData(), &system) != 0   ? "statfs"
                                                                      : nullptr;
    if (step) {
        const int error = errno;
        if (cause)
            *cause = causeOf(step, error);
        qCWarning(lcPlatform).nospace()
            << "cannot look at " << folder << ": " << step << ": " << std::strerror(error);
        return std::nullopt;
    }
    Volume volume;
    // As RawNames::status() gives it, so the two compare.
    volume.device = (quint64(major(folderStatus.st_dev)) << 32) | minor(folderStatus.st_dev);
    volume.freeBytes = qint64(space.f_bavail) * qint64(space.f_frsize);
    volume.readOnly = (space.f_flag & ST_RDONLY) != 0;
    volume.kind = kindOf(system.f_type, folderStatus.st_dev);
    volume.userSpace = system.f_type == FuseMagic;
    return volume;
}

void FolderLook::enter(QByteArrayView folder) {
    if (state_ != Folder::None && folder_ == folder)
        return;
    folder_ = folder.toByteArray();
    handle_ = FileHandle(
        ::open(folder_.isEmpty() ? "/" : folder_.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    const int error = handle_.isOpen() ? 0 : errno;
    state_ = handle_.isOpen()                      ? Folder::Open
             : error == ENOENT || error == ENOTDIR ? Folder::Missing
                                                   : Folder::Unopened;
}

std::optional<PlaceStatus> FolderLook::status(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    // A name in a folder; anything else (a relative path, a trailing "/") is looked at whole.
    const bool byName = slash >= 0 && slash + 1 < path.size();
    if (byName)
        enter(QByteArrayView(path).first(slash));
    if (byName && state_ == Folder::Missing)
        return std::nullopt;
    // Unopened (no descriptor left, say): the whole path is looked at, as without the folder.
    const bool open = byName && state_ == Folder::Open;
    struct statx info {};
    if (::statx(open ? handle_.fd() : AT_FDCWD,
                open ? path.constData() + slash + 1 : path.constData(), AT_STATX_SYNC_AS_STAT,
                STATX_TYPE | STATX_INO | STATX_SIZE | STATX_MTIME, &info) != 0)
        return std::nullopt;
    PlaceStatus result;
    result.isRegular = S_ISREG(info.stx_mode);
    result.size = qint64(info.stx_size);
    result.modifiedNs = qint64(info.stx_mtime.tv_sec) * 1000000000 + info.stx_mtime.tv_nsec;
    result.device = (quint64(info.stx_dev_major) << 32) | info.stx_dev_minor;
    result.inode = info.stx_ino;
    return result;
}

int makeFolders(const QByteArray& folder) {
    if (folder.isEmpty() || folder == "/")
        return 0;
    struct stat status {};
    if (::stat(folder.constData(), &status) == 0)
        return S_ISDIR(status.st_mode) ? 0 : ENOTDIR;
    QByteArray parent = folder;
    while (parent.endsWith('/'))
        parent.chop(1);
    parent.truncate(qMax(qsizetype(1), parent.lastIndexOf('/')));
    if (const int error = makeFolders(parent); error != 0)
        return error;
    if (::mkdir(folder.constData(), 0777) != 0 && errno != EEXIST) {
        const int error = errno;
        qCWarning(lcPlatform).nospace()
            << "cannot make folder " << folder << ": " << std::strerror(error);
        return error;
    }
    return 0;
}

namespace {

using Kind = CopyOutcome::Kind;

CopyOutcome failed(Kind kind, const char* step, int error, const QByteArray& path) {
    qCWarning(lcPlatform).nospace()
        << "copying " << path << ": " << step << ": " << std::strerror(error);
    return {kind, error, causeOf(step, error)};
}

// The device starts writing back what was copied while the next part is copied, so the flush
// that makes the batch durable finds little left to write and the dirty pages stay few.
void startWriteback(int out, qint64 done, qint64& started, bool last) {
    if (done > started && (last || done - started >= ChunkBytes)) {
        ::sync_file_range(out, started, done - started, SYNC_FILE_RANGE_WRITE);
        started = done;
    }
}

// Copies `size` bytes; kernel to kernel first, through a buffer where the file systems refuse.
CopyOutcome copyData(int in, int out, qint64 size, const QByteArray& from, const CopyTick& tick) {
    qint64 done = 0;
    qint64 writeback = 0;
    bool kernelCopy = true;
    QByteArray buffer;
    while (done < size) {
        startWriteback(out, done, writeback, false);
        if (!tick(done))
            return {Kind::Stopped, 0, {}};
        const qint64 chunk = qMin(ChunkBytes, size - done);
        if (kernelCopy) {
            const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, size_t(chunk), 0);
            if (copied > 0) {
                done += copied;
                continue;
            }
            const int error = errno;
            if (copied < 0 && error != EXDEV && error != EINVAL && error != ENOSYS &&
                error != EOPNOTSUPP && error != EBADF)
                return failed(Kind::TargetFailed, "copy_file_range", error, from);
            // The source shrank (copied == 0) or the file systems cannot copy in the kernel.
            if (copied == 0)
                break;
            kernelCopy = false;
            if (::lseek(in, done, SEEK_SET) < 0 || ::lseek(out, done, SEEK_SET) < 0)
                return failed(Kind::TargetFailed, "lseek", errno, from);
        }
        if (buffer.isEmpty())
            buffer.resize(BufferBytes);
        const ssize_t got = ::read(in, buffer.data(), size_t(qMin(chunk, BufferBytes)));
        if (got < 0)
            return failed(Kind::SourceFailed, "read", errno, from);
        if (got == 0)
            break;
        for (ssize_t written = 0; written < got;) {
            const ssize_t put = ::write(out, buffer.constData() + written, size_t(got - written));
            if (put < 0)
                return failed(Kind::TargetFailed, "write", errno, from);
            written += put;
        }
        done += got;
    }
    startWriteback(out, done, writeback, true);
    tick(done);
    return {};
}

QByteArray temporaryBeside(const QByteArray& to) {
    const qsizetype slash = to.lastIndexOf('/');
    // Short and ASCII, so any file system takes it whatever the song's name.
    return to.left(slash + 1) + ".pbx" +
           QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".part";
}

} // namespace

CopyOutcome copyToTemporary(const QByteArray& from, const QByteArray& to, const CopyTick& tick,
                            PendingCopy& pending) {
    // Not blocking, so a FIFO opened by mistake does not wait for a writer.
    FileHandle in(::open(from.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!in.isOpen())
        return failed(Kind::SourceFailed, "open", errno, from);
    struct stat source {};
    if (::fstat(in.fd(), &source) != 0)
        return failed(Kind::SourceFailed, "fstat", errno, from);
    if (!S_ISREG(source.st_mode))
        return failed(Kind::SourceFailed, "not a regular file", EINVAL, from);
    ::fcntl(in.fd(), F_SETFL, 0);
    ::posix_fadvise(in.fd(), 0, 0, POSIX_FADV_SEQUENTIAL);
    const QByteArray temporary = temporaryBeside(to);
    FileHandle out(::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!out.isOpen())
        return failed(Kind::TargetFailed, "open the temporary file", errno, temporary);
    CopyOutcome outcome = copyData(in.fd(), out.fd(), source.st_size, from, tick);
    // Both times: exfat-fuse takes a left-out access time as "now" for both.
    const struct timespec times[2] = {source.st_atim, source.st_mtim};
    if (outcome.kind == Kind::Done && ::futimens(out.fd(), times) != 0)
        outcome = failed(Kind::TargetFailed, "futimens", errno, temporary);
    out = FileHandle();
    if (outcome.kind != Kind::Done) {
        ::unlink(temporary.constData());
        return outcome;
    }
    pending = {temporary, to};
    return outcome;
}

namespace {
int flushFile(const QByteArray& path) {
    FileHandle file(::open(path.constData(), O_WRONLY | O_CLOEXEC));
    if (!file.isOpen())
        return errno;
    return ::fsync(file.fd()) == 0 ? 0 : errno;
}
} // namespace

CopyOutcome commitCopies(const QList<PendingCopy>& copies, const QByteArray& deviceFolder,
                         bool eachFile, qsizetype& committed) {
    committed = 0;
    if (!eachFile && !copies.isEmpty()) {
        FileHandle folder(::open(deviceFolder.constData(), O_RDONLY | O_CLOEXEC));
        if (!folder.isOpen() || ::syncfs(folder.fd()) != 0) {
            const int error = errno;
            discardCopies(copies);
            return failed(Kind::TargetFailed, "syncfs", error, deviceFolder);
        }
    }
    for (const PendingCopy& copy : copies) {
        if (const int error = eachFile ? flushFile(copy.temporary) : 0; error != 0) {
            discardCopies(copies.sliced(committed));
            return failed(Kind::TargetFailed, "fsync", error, copy.temporary);
        }
        if (::rename(copy.temporary.constData(), copy.target.constData()) != 0) {
            const int error = errno;
            discardCopies(copies.sliced(committed));
            return failed(Kind::TargetFailed, "rename", error, copy.target);
        }
        ++committed;
    }
    return {};
}

void discardCopies(const QList<PendingCopy>& copies) {
    for (const PendingCopy& copy : copies)
        ::unlink(copy.temporary.constData());
}

} // namespace DeviceFiles
