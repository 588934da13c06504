#pragma once

#include "base/Status.h"

#include <QByteArray>
#include <QString>

#include <optional>

// File operations with the semantics the program relies on.
namespace FileOperations {

// How writeFile() treats the place it writes.
struct WriteOptions {
    // A symbolic link is written through to its target and stays a link; without, whatever
    // has the name (a link, a FIFO, a file with other names) is replaced by the new file,
    // never written in place.
    bool followLinks = true;
    // The file reaches the disk before it takes the old one's place; without, many new files
    // are made durable together by one flushFileSystem() at the end.
    bool flush = true;
    // The permission bits the file gets (0755 for a program); unset, a replaced file keeps its
    // own and a new one gets the default for new files.
    std::optional<unsigned> permissions;
    // One of thousands of files a command writes (Create's playlists): only a failure is
    // logged, and the command logs how many it wrote.
    bool oneOfMany = false;
    // The caller listed the target's folder a moment ago and saw no writer's temporary file in
    // it (WriteLeftovers::isTemporaryName), so it is not listed again for leftovers.
    bool listedWithoutLeftovers = false;
};

// The one way the program writes a file: the new bytes go whole into a temporary file beside
// the target, which then replaces it by a rename. Any failure (a full disk, a quota, an I/O
// error, a short write) removes the temporary file and leaves the old file byte for byte; the
// cause is logged and returned. A read-only existing file or a folder is refused. Where the
// folder refuses the temporary file or the rename over the file (a sticky folder) but the file
// itself may be written, it is written in place after its new size is reserved, so a full disk
// fails before the first byte changes; so is a file with other names (hard links), which must
// all see the new bytes, and another user's file that a new file could not leave theirs. A
// failure after the first byte changed puts the old bytes and length back.
Status writeFile(const QByteArray& path, const QByteArray& bytes, const WriteOptions& options = {});
Status writeFile(const QString& path, const QByteArray& bytes, const WriteOptions& options = {});

// An exclusive lock (flock) on an existing file itself, for writers that cannot make a lock
// file beside it; held until the object goes.
class InPlaceLock {
public:
    explicit InPlaceLock(const QString& path);
    ~InPlaceLock();
    InPlaceLock(const InPlaceLock&) = delete;
    InPlaceLock& operator=(const InPlaceLock&) = delete;
    bool tryLock(int waitMsecs);

private:
    int fd_ = -1;
};

// Writes every changed file of the file system that holds the path to the disk (syncfs).
Status flushFileSystem(const QByteArray& path);

// True when the file exists and may not be written (no write permission bit, or refused).
bool isReadOnlyFile(const QString& path);

// Renames; fails when the target exists.
bool moveFile(const QString& from, const QString& to);
bool moveFile(const QByteArray& from, const QByteArray& to);

// Copies with writeFile(); the copy gets the given permissions, else the source's. An existing
// target is replaced.
Status copyFileReplacing(const QString& from, const QString& to,
                         std::optional<unsigned> permissions = std::nullopt);

// Refuses a read-only file (isReadOnlyFile) as the read-only attribute does on Windows.
bool deleteFile(const QString& path);
bool deleteFile(const QByteArray& path);

// True when something (a file, a folder, a dangling link) has this name.
bool isNameTaken(const QString& path);

// True when both paths lead to the same file (links followed); false when one is missing.
bool isSameFile(const QString& first, const QString& second);

// True when the path leads (links followed) to a regular file, not to a FIFO, a device, a
// socket or a folder, which must never be opened as a document: they may block or never end.
bool isRegularFile(const QString& path);

} // namespace FileOperations
