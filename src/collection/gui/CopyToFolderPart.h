#pragma once

class WindowServices;

// Copy to Folder: the selected playlists with their songs onto a device (a USB stick, an SD
// card, a phone), ready to play there; a second run keeps the device in step.
class CopyToFolderPart {
public:
    explicit CopyToFolderPart(WindowServices& window) : window_(window) {}

    void copySelectedPlaylists();

private:
    WindowServices& window_;
};
