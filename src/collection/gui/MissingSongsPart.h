#pragma once

#include <QByteArray>
#include <QList>

class WindowServices;
struct PlaylistRelocation;

// Find Missing Songs: finds where the missing songs of the shown playlist, or of the selected
// playlists, went in a folder the user names, lets the user review the proposals, and rewrites
// the playlists with the accepted ones.
class MissingSongsPart {
public:
    explicit MissingSongsPart(WindowServices& window) : window_(window) {}

    // The shown playlist's songs when `shownPlaylist`, else the selected playlists'.
    void findMissingSongs(bool shownPlaylist);

private:
    QList<PlaylistRelocation> collect(const QList<QByteArray>& paths);
    void write(const QList<PlaylistRelocation>& playlists);

    WindowServices& window_;
};
