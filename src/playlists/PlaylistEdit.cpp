#include "PlaylistEdit.h"

#include "MarkupEdit.h"

Status editedPlaylistText(const IndexedPlaylist& playlist, const SongEdits& songs,
                          QByteArray& text) {
    if (playlist.isMarkup())
        return markupEditedText(playlist, songs, text);
    if (playlist.format != PlaylistFormat::Pls) {
        // An extended M3U is written plain: its #EXT lines are not among the entries.
        text.clear();
        for (const SongEdit& song : songs)
            text.append(song.entry ? QByteArrayView(*song.entry) : playlist.entries.at(song.row))
                .append("\r\n");
        return Status::ok();
    }
    EntryList entries;
    entries.reserve(songs.size());
    for (const SongEdit& song : songs)
        entries.append(song.entry.value_or(playlist.entries.at(song.row).toByteArray()));
    text = plsText(entries);
    return Status::ok();
}
