#pragma once

#include "FileHandle.h"

#include <QByteArray>
#include <QList>

#include <functional>
#include <optional>

// File-system calls on names as bytes: Linux file names need not be valid UTF-8, and Qt's
// own file classes decode them as UTF-8, losing the bytes that are not.
namespace RawNames {

// True when something exists at the path (symbolic links followed).
bool exists(const QByteArray& path);
bool isFolder(const QByteArray& path);
// True when this process may write there (create names in a folder, change a file).
bool isWritable(const QByteArray& path);

// What stat tells of a path (symbolic links followed), birth time included where the file
// system keeps one, and the inode: a file replaced by a rename is a new file even at the same
// size and time.
struct FileStatus {
    bool isFolder = false;
    bool isRegular = false;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    qint64 bornNs = 0;
    quint64 device = 0;
    quint64 inode = 0;
};
std::optional<FileStatus> status(const QByteArray& path);

// The path with every link, "." and ".." resolved, or nothing when it leads nowhere.
std::optional<QByteArray> realPath(const QByteArray& path);

// The whole content of a regular file, or nothing when it cannot be read (a FIFO or a device
// is refused without waiting on it). A reader that needs only a start of the file says when
// it has read enough: `enough` sees the bytes so far and where the newest part begins. A file
// of `sizeLimit` bytes or more, when given, is refused before anything is read.
using ReadEnough = std::function<bool(QByteArrayView read, qsizetype newFrom)>;
std::optional<QByteArray> readRegularFile(const QByteArray& path, const ReadEnough& enough = {},
                                          qint64 sizeLimit = -1);
// The same from a file already open (the path only names it in the log).
std::optional<QByteArray> readRegularFile(const FileHandle& file, const QByteArray& path,
                                          const ReadEnough& enough = {}, qint64 sizeLimit = -1);

// A regular file opened for reading (a FIFO or a device is refused without waiting on it);
// not open when it cannot be.
FileHandle openRegularFile(const QByteArray& path);
// Appends up to `bytes` bytes of the file from `offset` (fewer only at its end) to `into`;
// false when the read fails.
bool readAt(const FileHandle& file, const QByteArray& path, qint64 offset, qsizetype bytes,
            QByteArray& into);

// The names in a folder ("." and ".." left out), or nothing when it cannot be read.
std::optional<QList<QByteArray>> folderNames(const QByteArray& folder);
// The same names each followed by a NUL, appended to one buffer (which a caller may reuse
// from folder to folder); false when the folder cannot be read.
bool appendFolderNames(const QByteArray& folder, QByteArray& names);

} // namespace RawNames
