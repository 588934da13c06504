#pragma once

#include "FolderWalk.h"
#include "common/FileIdentity.h"
#include "base/Result.h"
#include "playlists/PlaylistFile.h"

#include <QByteArray>
#include <QList>

class PathCaseLookup;

// One missing song of a playlist and the files that may be it now.
struct SongRelocation {
    qsizetype row = 0;  // among the playlist's entries
    QByteArray entry;   // as the playlist holds it
    QByteArray oldPath; // what the entry stood for
    // The files of its name that share the most folders with its old place, by path (a tie of
    // thousands offers its first hundred), and how many share them.
    QList<QByteArray> candidates;
    qsizetype candidateCount = 0;
    int chosen = -1;      // the candidate to write; none when not found or tied
    bool checked = false; // to be written

    static SongRelocation of(qsizetype row, const QByteArray& entry, const QByteArray& oldPath) {
        SongRelocation song;
        song.row = row;
        song.entry = entry;
        song.oldPath = oldPath;
        return song;
    }
    bool isAmbiguous() const { return chosen < 0 && candidates.size() > 1; }
};

// A playlist with missing songs, as it was read.
struct PlaylistRelocation {
    QByteArray listPath; // as the playlist list names it
    FileIdentity file;   // what was read, where it is on disk
    IndexedPlaylist playlist;
    bool backslashes = false; // whether its entries separate folders with "\"
    QList<SongRelocation> songs;
};

// Reads the playlist the list names `listPath` and notes its missing songs (none is no
// failure). Fails with the message to show when it cannot be read, or when it cannot be
// rewritten without losing what it holds.
Result<PlaylistRelocation> collectMissingSongs(const QByteArray& listPath, PathCaseLookup& lookup);

// The song's entry as it would be written: the chosen file in the old entry's form.
QByteArray newEntryOf(const PlaylistRelocation& playlist, const SongRelocation& song,
                      int candidate);

// Rewrites the playlist with its checked songs at their chosen places, every other byte as it
// was. Nothing is written when the file changed since it was read (the message says so) or
// when no song is to be written.
Status repairPlaylist(const PlaylistRelocation& playlist);

// Walks the folder once under the runner's wait window and proposes new places for the
// missing songs. False when the walk was stopped or the folder does not exist.
bool findMovedSongs(QList<PlaylistRelocation>& playlists, const QByteArray& folder,
                    const WaitWindowRunner& runner);
