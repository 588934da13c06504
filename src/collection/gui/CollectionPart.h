#pragma once

#include <QByteArray>
#include <QList>

class WindowServices;

// The commands that build the collection: Add, Create, Remove or Delete, and the MP3CD wizard.
class CollectionPart {
public:
    explicit CollectionPart(WindowServices& window) : window_(window) {}

    void addPlaylists();
    void createPlaylists();
    // Takes the selected playlists off the list, deleting their files when asked to.
    void removePlaylists(bool deleteFiles);
    void makeMp3Cd();
    // Files and folders dropped on the playlist list, in their order: playlist files join as
    // Add does for one file, folders add the playlists in them and their sub-folders as Add
    // does for a folder; other files are left out.
    void addDroppedFiles(const QList<QByteArray>& paths);

private:
    WindowServices& window_;
};
