#pragma once

#include "playlists/PlaylistEdit.h"

#include <functional>
#include <optional>

class CommandTarget;
class WindowServices;

// Editing the lists: sorting, removing and editing song entries, renaming a playlist's file,
// moving playlists. A command that writes checks, after each question and right before it
// writes, that the playlist it was given is still the one shown and unchanged on disk.
class ListEditingPart {
public:
    explicit ListEditingPart(WindowServices& window) : window_(window) {}

    void sortPlaylists();
    void sortSongs();
    void removeSongs();
    void editSong();
    void renamePlaylist();
    // Moves a playlist to another place; the focus and selection go with it.
    void movePlaylist(int from, int to);
    // Moves the selected playlists one place up (-1) or down (+1), kept together.
    void moveSelectedPlaylists(int step);
    // True when that move would change the order.
    bool canMoveSelectedPlaylists(int step) const;

private:
    // The selected playlists, or the focused one when none is selected; in order.
    QList<int> playlistsToMove() const;
    // Tells the user and returns false when the shown playlist was not read whole.
    bool rewritable();
    // The shown songs' sorted order; none when the user stopped the sort.
    std::optional<QList<qsizetype>> sortedSongOrder();
    // Writes the entries over the shown playlist in its form, then shows the file again.
    void rewriteShownPlaylist(const CommandTarget& target, const SongEdits& edits);
    // Writes the text `edited` makes of the shown playlist over it, then shows the file again.
    using EditedText = std::function<Result<QByteArray>(const IndexedPlaylist& playlist)>;
    void rewriteShownPlaylist(const CommandTarget& target, const EditedText& edited);

    WindowServices& window_;
};
