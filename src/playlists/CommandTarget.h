#pragma once

#include "common/FileIdentity.h"
#include "base/Status.h"

#include <QList>

class PlaylistListModel;
class RowSelection;
class SongListModel;

// What a command that writes or deletes acts on, taken when the user gives the command and
// checked again after every dialog it opens and right before it writes, so that nothing is
// written into, or deleted from, a file the user did not choose.
class CommandTarget {
public:
    // The playlist list's selected rows as they are now.
    static CommandTarget ofPlaylists(const PlaylistListModel& list, const RowSelection& selection);
    // The focused playlist and the songs shown of it, with the rows selected in `selection`.
    static CommandTarget ofSongs(const PlaylistListModel& list, const SongListModel& songs,
                                 const RowSelection& selection);

    // Fails with the message to show when the list or the shown songs were replaced, another
    // playlist is focused, or the shown playlist's file changed on disk.
    // `focus` is the playlist list's selection, whose focused row is the playlist shown.
    Status stillHolds(const PlaylistListModel& list, const RowSelection& focus,
                      const SongListModel& songs) const;

    const QList<int>& rows() const { return rows_; }
    const QByteArray& path() const { return file_.path; }

private:
    quint64 listGeneration_ = 0;
    bool songs_ = false;
    quint64 songsGeneration_ = 0;
    FileIdentity file_;
    QList<int> rows_;
};
