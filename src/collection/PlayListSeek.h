#pragma once

#include "FolderWalk.h"

#include <QStringList>

// The step of adding playlists: appends the folder's playlist files (all M3U, then all PLS
// matches, folders named like playlists included) to `found`, as full paths.
StepResult SeekPlayLists(const QString& folder, QStringList& found);
