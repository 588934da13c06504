#pragma once

#include "PlaylistFile.h"
#include "base/Result.h"

#include <QByteArray>
#include <QList>

// Rewriting a playlist with some entries pointed at new places, touching nothing else: headers,
// #EXT lines, PLS keys, line ends and the other entries keep their bytes.

struct EntryReplacement {
    qsizetype row = 0; // the entry's row among the playlist's entries
    QByteArray entry;  // what is written in its place
};

// The playlist's text (as read, UTF-16 ones as UTF-8) with the entries replaced; replacements
// come in row order. A PLS value that needs quotes to read back gets them; an XML playlist's
// location keeps its form, and one the file cannot hold fails with the line to show.
Result<QByteArray> textWithReplacedEntries(const IndexedPlaylist& playlist,
                                           const QList<EntryReplacement>& replacements);

// Whether the playlist's entries separate folders with "\" rather than "/", by majority.
bool usesBackslashes(const EntryTable& entries);

// The entry to write for a song now at `newPath`, in the form of the entry it replaces:
// relative to the playlist's folder where that was relative (going up as far as needed),
// absolute where it was absolute, "\" between folders where the old entry (or, for a bare
// name, the playlist) used them. A file URI stays one.
QByteArray relocatedEntry(QByteArrayView oldEntry, const QByteArray& newPath,
                          const QByteArray& playlistFile, bool playlistUsesBackslashes);
