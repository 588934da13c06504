#pragma once

#include <QByteArray>
#include <QList>

#include <optional>

// File-system calls on names as bytes: Linux file names need not be valid UTF-8, and Qt's
// own file classes decode them as UTF-8, losing the bytes that are not.
namespace RawNames {

// True when something exists at the path (symbolic links followed).
bool exists(const QByteArray& path);
bool isFolder(const QByteArray& path);

// The whole content of a regular file, or nothing when it cannot be read (a FIFO or a device
// is refused without waiting on it).
std::optional<QByteArray> readRegularFile(const QByteArray& path);

// The names in a folder ("." and ".." left out), or nothing when it cannot be read.
std::optional<QList<QByteArray>> folderNames(const QByteArray& folder);

} // namespace RawNames
