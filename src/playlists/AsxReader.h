#pragma once

#include "MarkupPlaylistReader.h"

#include <QIODevice>

// ASX: each entry's first reference, a path or a URI (a file URI stands for its path), with
// element and attribute names in any letter case.
class AsxReader {
public:
    static const MarkupRule& rule();
    static IndexedPlaylist read(QIODevice& device);
};
