#pragma once

#include "PlaylistFile.h"
#include "base/Result.h"

#include <optional>

// A song of an edited playlist: its row as read, and its new entry when it changes.
struct SongEdit {
    qsizetype row = 0;
    std::optional<QByteArray> entry;
};
using SongEdits = QList<SongEdit>;

// The playlist's new text with its songs as listed, in that order; rows left out are removed.
// M3U is written plain and PLS as PLS, from the entries; XSPF, WPL and ASX keep every byte
// but those of the moved, dropped or changed songs. Fails with the line to show when the
// playlist's form cannot hold the edit.
Result<QByteArray> editedPlaylistText(const IndexedPlaylist& playlist, const SongEdits& songs);
// The playlist's text with the same songs in this order of their rows. M3U needs no edit per
// song, which for millions of songs would cost more than the text.
Result<QByteArray> reorderedPlaylistText(const IndexedPlaylist& playlist,
                                         const QList<qsizetype>& rows);
