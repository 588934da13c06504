#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

class PathCaseLookup;

// Whether no file can be what the entry names: its bytes, or the path of its file URI, hold a
// NUL, where a player would cut the name and play another file. Such an entry is missing and
// never handed on.
bool namesNoFile(QByteArrayView entry);

// Whether a playlist entry names a song that is not there: resolved against the playlist's file
// by the path rules and found whatever its letter case, as Execute finds it. A file URI naming
// this machine stands for its path; other URL entries are not looked at (they count as
// present); a Windows absolute entry never exists here. `lookup` keeps its folder listings, so
// one lookup serves a whole playlist.
bool isMissingSong(PathCaseLookup& lookup, QByteArrayView entry, const QByteArray& playlistFile);
// The same rule; for a missing song, the path its entry stands for.
std::optional<QByteArray> missingSongPath(PathCaseLookup& lookup, QByteArrayView entry,
                                          const QByteArray& playlistFile);
