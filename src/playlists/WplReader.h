#pragma once

#include "MarkupPlaylistReader.h"

#include <QIODevice>

// Windows Media Player's WPL: each media element's source, a path in Windows style that the
// path rules resolve as they do M3U entries.
class WplReader {
public:
    static const MarkupRule& rule();
    static IndexedPlaylist read(QIODevice& device);
};
