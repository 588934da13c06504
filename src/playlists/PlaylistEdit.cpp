#include "PlaylistEdit.h"

#include "MarkupEdit.h"

Result<QByteArray> editedPlaylistText(const IndexedPlaylist& playlist, const SongEdits& songs) {
    if (playlist.isMarkup())
        return markupEditedText(playlist, songs);
    if (playlist.format != PlaylistFormat::Pls) {
        // An extended M3U is written plain: its #EXT lines are not among the entries.
        QByteArray text;
        for (const SongEdit& song : songs)
            text.append(song.entry ? QByteArrayView(*song.entry) : playlist.entries.at(song.row))
                .append("\r\n");
        return text;
    }
    EntryList entries;
    entries.reserve(songs.size());
    for (const SongEdit& song : songs)
        entries.append(song.entry.value_or(playlist.entries.at(song.row).toByteArray()));
    return plsText(entries);
}

Result<QByteArray> reorderedPlaylistText(const IndexedPlaylist& playlist,
                                         const QList<qsizetype>& rows) {
    if (playlist.isMarkup() || playlist.format == PlaylistFormat::Pls) {
        SongEdits songs;
        songs.reserve(rows.size());
        for (qsizetype row : rows)
            songs.append({row, std::nullopt});
        return editedPlaylistText(playlist, songs);
    }
    // As editedPlaylistText writes an M3U. Sized first: growing a text of many megabytes
    // would copy it and hold both for a moment.
    qsizetype size = 0;
    for (qsizetype row : rows)
        size += playlist.entries.at(row).size() + 2;
    QByteArray text;
    text.reserve(size);
    for (qsizetype row : rows)
        text.append(playlist.entries.at(row)).append("\r\n");
    return text;
}
