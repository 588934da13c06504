#pragma once

class MainWindow;

// The commands that build the collection: Add, Create, Remove or Delete, and the MP3CD wizard.
class CollectionPart {
public:
    explicit CollectionPart(MainWindow& window) : window_(window) {}

    void addPlaylists();
    void createPlaylists();
    // Takes the selected playlists off the list, deleting their files when asked to.
    void removePlaylists(bool deleteFiles);
    void makeMp3Cd();

private:
    MainWindow& window_;
};
