#include "CommandTarget.h"

#include "PlaylistListModel.h"
#include "RowSelection.h"
#include "SongListModel.h"
#include "base/TextDecoding.h"

CommandTarget CommandTarget::ofPlaylists(const PlaylistListModel& list,
                                         const RowSelection& selection) {
    CommandTarget target;
    target.listGeneration_ = list.generation();
    target.rows_ = selection.rows();
    return target;
}

CommandTarget CommandTarget::ofSongs(const PlaylistListModel& list, const SongListModel& songs,
                                     const RowSelection& selection) {
    CommandTarget target;
    target.listGeneration_ = list.generation();
    target.songs_ = true;
    target.songsGeneration_ = songs.generation();
    target.file_ = songs.identity();
    target.rows_ = selection.rows();
    return target;
}

Status CommandTarget::stillHolds(const PlaylistListModel& list, const RowSelection& focus,
                                 const SongListModel& songs) const {
    if (list.generation() != listGeneration_)
        return Status::failure(
            QStringLiteral("The list of playlists has changed meanwhile; nothing was changed."));
    if (!songs_)
        return Status::ok();
    if (songs.generation() != songsGeneration_ ||
        list.path(focus.currentRow()) != songs.playlistPath())
        return Status::failure(
            QStringLiteral("Another playlist is shown now; nothing was changed."));
    if (FileIdentity::of(file_.path) != file_)
        return Status::failure(decodeText(file_.path) +
                               QStringLiteral("\rThe file was changed by another program since "
                                              "it was shown; nothing was written."));
    return Status::ok();
}
