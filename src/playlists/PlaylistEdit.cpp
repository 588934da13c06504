#include "PlaylistEdit.h"

#include "MarkupEdit.h"

Status editedPlaylistText(const IndexedPlaylist& playlist, const SongEdits& songs,
                          QByteArray& text) {
    if (playlist.isMarkup())
        return markupEditedText(playlist, songs, text);
    EntryList entries;
    entries.reserve(songs.size());
    for (const SongEdit& song : songs)
        entries.append(song.entry.value_or(playlist.entries.at(song.row).toByteArray()));
    // An extended M3U is written plain: its #EXT lines are not among the entries.
    text = playlist.format == PlaylistFormat::Pls ? plsText(entries) : playlistText(entries);
    return Status::ok();
}
