#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
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
    // A listing read elsewhere (names each ended by a NUL), taken as listFolderOf() would
    // have read it.
    void takeFolderListing(const QByteArray& folder, bool readable, QByteArray names);

    // An entry resolved against a reference by the path rules (a backslash that belongs to an
    // existing name stays a character), then found on disk. URLs and Windows absolute entries
    // come back unchanged.
    QByteArray resolveEntry(const QByteArray& entry, const QByteArray& reference);
    QString resolveEntry(const QString& entry, const QString& reference);
    // The same without the look on disk for the letter case (existingPath() does that later).
    QByteArray resolveEntryAsWritten(QByteArrayView entry, QByteArrayView reference);
    // Entries that name no local file the rules could resolve: URLs, Windows absolute paths.
    static bool isKeptAsWritten(QByteArrayView entry);
    // The common entry, a plain name beside its reference, found as written in the listing
    // of the reference's folder: the folder part of the reference to put before it, which
    // resolveEntry() would have joined to the name too. Nothing for any other entry.
    std::optional<QByteArrayView> listedFolderOfName(QByteArrayView entry,
                                                     QByteArrayView reference) const;

    // Where a name lies in a buffer of names.
    struct NameSpan {
        quint32 offset;
        quint32 size;
    };

private:
    struct Listing {
        bool readable = false;
        QList<QByteArray> sorted;
        // Folded name to the names that fold to it, in sorted order; built on first need.
        QHash<QString, QList<QByteArray>> folded;
        bool foldedBuilt = false;
    };

    // The folder listFolderOf() read last: its names, each ended by a NUL, and where each
    // lies in name order. The buffers serve one folder after the other.
    struct FolderNames {
        QByteArray folder;
        bool listed = false;
        bool readable = false;
        QByteArray names;
        QList<NameSpan> order;
        bool holds(QByteArrayView name) const;
    };

    Listing& listing(const QByteArray& folder);
    void orderCurrentNames();
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
