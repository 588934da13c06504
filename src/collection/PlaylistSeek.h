#pragma once

#include "FolderWalk.h"

#include <QByteArray>
#include <QList>

class FolderListing;

// The step of adding playlists: appends the folder's playlist files (all M3U, then all PLS
// matches, folders named like playlists included) to `found`, as full paths in the file
// system's bytes.
StepResult findPlaylists(WalkProgress& progress, const QString& folder, FolderListing& listing,
                         QList<QByteArray>& found);

// Adds the playlists of a folder, and with `subFolders` those of every folder below it in a
// walk under the runner's wait window. Completed when the search went through to its end.
bool findPlaylistsIn(const QByteArray& folder, bool subFolders, const WaitWindowRunner& runner,
                     QList<QByteArray>& found);
bool findPlaylistsIn(const QString& folder, bool subFolders, const WaitWindowRunner& runner,
                     QList<QByteArray>& found);
