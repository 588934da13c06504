#pragma once

#include "MarkupPlaylistReader.h"

#include <QIODevice>

// XSPF (VLC, Audacious, Rhythmbox): each track's first location, a URI. A file URI stands for
// its path's bytes, a relative reference for the path from the playlist's folder, any other
// URI for itself.
class XspfReader {
public:
    static const MarkupRule& rule();
    static IndexedPlaylist read(QIODevice& device);
};
