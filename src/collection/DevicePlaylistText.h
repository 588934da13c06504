#pragma once

#include "base/Result.h"
#include "playlists/PlaylistFile.h"

#include <optional>

// A playlist's entry on the device: dropped (its song is not copied), kept as written (a URL)
// or pointed at the copy.
struct DeviceEntry {
    qsizetype row = 0;
    std::optional<QByteArray> entry; // none: kept as it was
};

// The playlist's file on the device, in its own form with every other byte kept as Find
// Missing Songs keeps it: rows not listed are dropped (an M3U entry with its #EXTINF line).
// As M3U for car stereos: the entries alone, "\" between folders, CR LF.
Result<QByteArray> devicePlaylistBytes(const IndexedPlaylist& playlist,
                                       const QList<DeviceEntry>& entries, bool carStereoM3u);
