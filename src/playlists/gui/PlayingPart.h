#pragma once

class WindowServices;

// Plays what is selected: the playlists, or the songs of the focused playlist.
class PlayingPart {
public:
    explicit PlayingPart(WindowServices& window) : window_(window) {}

    void executePlaylists();
    void executeSongs();

private:
    WindowServices& window_;
};
