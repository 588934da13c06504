#pragma once

#include "PlaylistFile.h"
#include "common/PathCaseLookup.h"
#include "common/ShuffleList.h"
#include "base/Status.h"
#include "platform/FolderReader.h"
#include "settings/Settings.h"

#include <QByteArray>
#include <QList>

// The paths an execution gathers, in the written form (each followed by CR LF), and where
// each begins: a playlist of a million entries is gathered without a copy per entry. Each
// path handed on is the one found on disk ignoring letter case when the exact one does not
// exist; folder listings are read once per gathering.
class ExecutionGathering {
public:
    explicit ExecutionGathering(ShuffleClock clock);

    // Adds what one name stands for: an M3U, M3U8, XSPF, WPL or ASX is expanded one level
    // into its songs (shuffled when the options say so), anything else is one line. Fails
    // with "Cannot open file <path>" for a playlist that cannot be read.
    Status addEntry(const QByteArray& name, const QByteArray& base, const Preferences& options);
    // The same for a listed playlist (a full path): it is found in its folder's listing,
    // which its songs need anyway, and read from that folder.
    Status addListedPlaylist(const QByteArray& path, const Preferences& options);

    qsizetype count() const { return starts_.size(); }
    // The lines of the paths gathered from `first` up to `end`.
    QByteArrayView lines(qsizetype first, qsizetype end) const;
    // Each gathered path's line.
    QList<QByteArrayView> eachLine() const;
    // The text and starts handed over; the gathering starts afresh.
    QByteArray takeText();
    void clear();

private:
    // The next playlist's status and, where the listing shows a regular file, the file opened
    // from that folder.
    PlaylistLookAhead lookAt(const QByteArray& path);
    // An entry of a playlist as found on disk.
    QByteArray songPath(QByteArrayView entry, const QByteArray& playlist);
    // Appends the path folder + name (a folder part saves joining them first); a caller that
    // appends many names of one folder tells whether the folder has a line end in it.
    void append(QByteArrayView folder, QByteArrayView name);
    void append(QByteArrayView folder, QByteArrayView name, bool folderBreaksLine);

    ShuffleClock clock_;
    QByteArray text_;
    QList<qsizetype> starts_;
    PathCaseLookup lookup_;
    FolderReader reader_;
    // The listed playlist being added, when looked at from its folder.
    std::optional<std::pair<QByteArray, PlaylistLookAhead>> lookedAt_;
};
