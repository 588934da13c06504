#pragma once

#include "platform/NativeFolder.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <span>

// One folder as a walk and its step see it: the folder is listed at most once, when the step
// or the walk first asks, and both take what they need from that one listing. Names and the
// path are the file system's bytes.
class FolderListing {
public:
    // The path ends in "/".
    explicit FolderListing(const QByteArray& nativePath);

    const QByteArray& nativePath() const { return path_; }
    bool exists() const { return folder_.exists(); }
    NativeFolder::Id id() const { return folder_.id(); }
    // In the order the file system delivers them; hidden entries count like any other.
    const QList<NativeFolder::Entry>& entries() { return folder_.entries(); }
    // Every name that matches the first mask, then every match of the second, ...; within
    // one mask in listing order. Folders named like files match too.
    QList<QByteArray> matchesByMasks(std::span<const QString> masks);

private:
    QByteArray path_;
    NativeFolder folder_;
};

// True when the path names an existing folder (a link to one counts; a file does not).
bool folderExists(const QString& path);
