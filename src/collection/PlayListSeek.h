#pragma once

#include "FolderWalk.h"

#include <QStringList>

class FolderListing;

// The step of adding playlists: appends the folder's playlist files (all M3U, then all PLS
// matches, folders named like playlists included) to `found`, as full paths.
StepResult SeekPlayLists(const QString& folder, FolderListing& listing, QStringList& found);
StepResult SeekPlayLists(const QString& folder, QStringList& found);

// Adds the playlists of a folder, and with `subFolders` those of every folder below it in a
// walk under the runner's wait window. Completed when the search went through to its end.
bool SeekPlayListsIn(const QString& folder, bool subFolders, const WaitWindowRunner& runner,
                     QStringList& found);
