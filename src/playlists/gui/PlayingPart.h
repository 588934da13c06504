#pragma once

class MainWindow;

// Plays what is selected: the playlists, or the songs of the focused playlist.
class PlayingPart {
public:
    explicit PlayingPart(MainWindow& window) : window_(window) {}

    void executePlaylists();
    void executeSongs();

private:
    MainWindow& window_;
};
