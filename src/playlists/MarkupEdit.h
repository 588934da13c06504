#pragma once

#include "PlaylistEdit.h"

// Edits an XSPF, WPL or ASX playlist in its own form: song elements are moved or dropped
// whole (a dropped one with the blanks before it), a changed song gets a new location in the
// form of the old one, and every other byte stays. Songs do not move between lists, and a
// location the file cannot hold (a name that is not UTF-8 where a path is written as text)
// is refused.
Result<QByteArray> markupEditedText(const IndexedPlaylist& playlist, const SongEdits& songs);
