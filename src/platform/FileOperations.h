#pragma once

#include "common/Status.h"

#include <QByteArray>
#include <QString>

// File operations with the semantics the program relies on.
namespace FileOperations {

// Replaces the file as a whole: a temporary file in the same folder, then a rename, so a
// failed write never leaves a truncated file. A read-only existing file is refused.
Status writeFileAtomically(const QString& path, const QByteArray& bytes);

// The same for a path given by its bytes (Linux names need not be UTF-8); the file reaches the
// disk before it takes the old one's place.
Status writeFileAtomically(const QByteArray& path, const QByteArray& bytes);

// As writeFileAtomically; but a writable regular file in a folder that refuses the temporary
// file is overwritten in place (a kill during that write may leave it cut short: without a
// writable folder there is no safer way to keep the user's settings at all).
Status writeFileAtomicallyOrInPlace(const QString& path, const QByteArray& bytes);

// Writes all the bytes to the descriptor, again after an interruption; false (errno set) when a
// write fails.
bool writeAll(int fd, const QByteArray& bytes);

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

// The same replacement for a path given by its bytes, without flushing the file to the disk:
// for many new files at once, made durable together by one flushFileSystem() at the end.
// The permissions of a replaced file are kept.
Status replaceFileUnflushed(const QByteArray& path, const QByteArray& bytes);

// Writes every changed file of the file system that holds the path to the disk (syncfs).
Status flushFileSystem(const QByteArray& path);

// True when the file exists and may not be written (no write permission bit, or refused).
bool isReadOnlyFile(const QString& path);

// Renames; fails when the target exists.
bool moveFile(const QString& from, const QString& to);
bool moveFile(const QByteArray& from, const QByteArray& to);

// Copies through a temporary file and a rename; replaces an existing target.
bool copyFileReplacing(const QString& from, const QString& to);

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
