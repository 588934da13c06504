#pragma once

#include "FolderWalk.h"
#include "common/FileIdentity.h"
#include "common/Status.h"
#include "playlists/PlayListFile.h"

#include <QByteArray>
#include <QHash>
#include <QList>

class FolderListing;
class PathCaseLookup;

// One missing song of a playlist and the files that may be it now.
struct SongRelocation {
    qsizetype row = 0;            // among the playlist's entries
    QByteArray entry;             // as the playlist holds it
    QByteArray oldPath;           // what the entry stood for
    QList<QByteArray> candidates; // files of its name, the most trailing folders shared first
    int chosen = -1;              // the candidate to write; none when not found or tied
    bool checked = false;         // to be written

    bool isAmbiguous() const { return chosen < 0 && candidates.size() > 1; }
};

// A playlist with missing songs, as it was read.
struct PlaylistRelocation {
    QByteArray listPath; // as the playlist list names it
    FileIdentity file;   // what was read, where it is on disk
    IndexedPlayList playlist;
    bool backslashes = false; // whether its entries separate folders with "\"
    QList<SongRelocation> songs;
};

// Reads the playlist the list names `listPath` and notes its missing songs (none is no
// failure). Fails with the message to show when it cannot be read, or when it cannot be
// rewritten without losing what it holds.
Status collectMissingSongs(const QByteArray& listPath, PathCaseLookup& lookup,
                           PlaylistRelocation& result);

// The song's entry as it would be written: the chosen file in the old entry's form.
QByteArray newEntryOf(const PlaylistRelocation& playlist, const SongRelocation& song,
                      int candidate);

// Rewrites the playlist with its checked songs at their chosen places, every other byte as it
// was. Nothing is written when the file changed since it was read (the message says so) or
// when no song is to be written.
Status repairPlaylist(const PlaylistRelocation& playlist);

// The files named like the missing songs of some playlists, letter case ignored, gathered in
// one walk; then, for every missing song, its candidates ranked.
class MovedSongIndex {
public:
    explicit MovedSongIndex(const QList<PlaylistRelocation>& playlists);

    // The walk's step: keeps the folder's files whose names are wanted.
    void addFolder(FolderListing& listing);
    // Fills in every song's candidates; a single best candidate is chosen and checked, a tie
    // for the best is left to the user.
    void propose(QList<PlaylistRelocation>& playlists) const;

    // A name folded for comparing without letter case, as UTF-8 (ASCII names take a short
    // way; others are decoded as entries are).
    static QByteArray foldedName(QByteArrayView name);

private:
    QHash<QByteArray, QList<QByteArray>> files_; // folded name -> full paths found
};

// Walks the folder once under the runner's wait window and proposes new places for the
// missing songs. False when the walk was stopped or the folder does not exist.
bool findMovedSongs(QList<PlaylistRelocation>& playlists, const QByteArray& folder,
                    const WaitWindowRunner& runner);
