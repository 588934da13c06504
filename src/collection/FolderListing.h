#pragma once

#include <QString>
#include <QStringList>

#include <span>

#include <dirent.h>

// Reads one folder entry by entry, in the order the file system delivers them (readdir), with
// nothing sorted; "." and ".." are left out. A folder that cannot be opened reads as empty.
// Reading is lazy, so a walk holds one open listing per level of depth.
class FolderReader {
public:
    explicit FolderReader(const QString& folder);
    ~FolderReader();
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    struct Entry {
        QString name;
        bool maybeFolder; // a folder, a link or of unknown type: only a stat can tell
    };
    bool next(Entry& entry);

private:
    DIR* dir_;
};

// True when the path names an existing folder (a link to one counts; a file does not).
bool FolderExists(const QString& path);

// "*.EXT": the name ends with a dot and that extension, ignoring case.
bool MatchesMask(const QString& name, const QString& mask);

// Lists the folder once and splits the names by mask: every match of the first mask, then
// every match of the second, ...; within one mask in listing order. Hidden files and folders
// count like any other entry.
QStringList MatchesByMasks(const QString& folder, std::span<const QString> masks);
