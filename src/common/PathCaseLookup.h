#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

// Finds what a path names on disk when only letter case differs, as a Windows file system
// would (playlists made on Windows, CDs mounted with lower-case names). The exact path always
// wins and costs one stat; otherwise each component is looked up in its folder ignoring case
// (Unicode case folding): the exact name first, then the first of the sorted names that fold
// alike. Folder listings are read once and kept for the lookup's lifetime, so one lookup
// serves one execution or one load; it does not notice later changes on disk.
//
// Paths are bytes (Linux names need not be UTF-8); the QString forms are UTF-8 paths.
class PathCaseLookup {
public:
    // The real path on disk, or the path unchanged when nothing matches. A name found in a
    // folder listing already read needs no stat.
    QByteArray existingPath(const QByteArray& path);
    QString existingPath(const QString& path);

    // True when the path's folder holds a name spelled exactly like its last component.
    bool nameExists(const QByteArray& path);
    // Reads the listing of the folder that holds the path, in place of the one this read
    // before: a caller that looks up many names there next (a playlist's songs) pays one
    // listing instead of a stat each.
    void listFolderOf(QByteArrayView path);
    // The folder listFolderOf() lists for a path.
    static QByteArray folderOf(QByteArrayView path);
    // A listing read elsewhere (each name followed by a NUL), taken as listFolderOf() would
    // have read it.
    void takeFolderListing(const QByteArray& folder, bool readable, QByteArray names);

    // An entry resolved against a reference by the path rules (a backslash that belongs to an
    // existing name stays a character), then found on disk. URLs and Windows absolute entries
    // come back unchanged.
    QByteArray resolveEntry(const QByteArray& entry, const QByteArray& reference);
    QString resolveEntry(const QString& entry, const QString& reference);
    // The same without the look on disk for the letter case (existingPath() does that later).
    QByteArray resolveEntryAsWritten(QByteArrayView entry, QByteArrayView reference);
    // The same; an entry that needs no resolving comes back shared, not copied.
    QByteArray resolveEntryAsWritten(const QByteArray& entry, QByteArrayView reference);
    // Entries that name no local file the rules could resolve: URLs, Windows absolute paths.
    static bool isKeptAsWritten(QByteArrayView entry);
    // The common entry, a plain name beside its reference, found as written in the listing
    // the lookup holds: currentFolderOf() the reference gives the folder part to put before
    // such names (what resolveEntry() would join to them too) when that listing is its
    // folder's, and holdsPlainName() tells each name. A caller with many names of one
    // reference asks for the folder once.
    std::optional<QByteArrayView> currentFolderOf(QByteArrayView reference) const;
    bool holdsPlainName(QByteArrayView entry) const;

private:
    struct Listing {
        bool readable = false;
        QList<QByteArray> sorted;
        // Folded name to the names that fold to it, in sorted order; built on first need.
        QHash<QString, QList<QByteArray>> folded;
        bool foldedBuilt = false;
    };

    // The folder listFolderOf() read last, and its names.
    struct FolderNames {
        QByteArray folder;
        bool listed = false;
        bool readable = false;
        QByteArray buffer;          // each name followed by a NUL
        QSet<QByteArrayView> names; // views into the buffer
    };

    Listing& listing(const QByteArray& folder);
    // True when a listing already read holds the path's last component.
    bool isListed(QByteArrayView path) const;
    bool isListedIn(QByteArrayView folder, QByteArrayView name) const;
    std::optional<QByteArray> realFolder(const QByteArray& folder);
    std::optional<QByteArray> findName(const QByteArray& folder, const QByteArray& name,
                                       bool folderWanted);

    FolderNames current_;
    QHash<QByteArray, Listing> listings_;
    QHash<QByteArray, std::optional<QByteArray>> folders_;
};

// One-off lookups for single paths (a hint, an INI file name, a playlist to load).
QString resolveExistingPath(const QString& path);
QByteArray resolveExistingPath(const QByteArray& path);
QString resolveEntryOnDisk(const QString& entry, const QString& reference);
QByteArray resolveEntryOnDisk(const QByteArray& entry, const QByteArray& reference);
