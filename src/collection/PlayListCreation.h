#pragma once

#include "FolderWalk.h"
#include "settings/SharedVariables.h"

#include <QStringList>

class UserDialogs;

// The file name of a folder's playlist: the folder's path below the base folder with " - "
// between its names ("Rock - Live 1999 - CD1.M3U"), "PlayList.M3U" for the base folder.
// Both paths end in "/" and the folder lies below (or is) the base folder.
QString PlayListNameFor(const QString& folder, const QString& baseFolder);

// Creation runs: one playlist for every folder that holds media files, with the remembered
// Create Playlists values as parameters. Messages go through `dialogs`.
class PlayListCreation {
public:
    PlayListCreation(TVARdlgCreatePL& values, UserDialogs& dialogs, WaitWindowRunner runner);

    // One run; every playlist written is appended to `created` as a full path. Completed when
    // the run went through to its end; a write error ends it and is returned.
    WalkResult CreatePlayLists(QStringList& created);
    // The step of a run.
    StepResult CreateFolderPlayList(const QString& folder);
    // Writes the folder's files as a playlist (none when there are none) and records it.
    Status SaveFolderPlayList(const QString& path);

private:
    WalkResult createBelowBaseFolder();
    QString playListPath(const QString& folder) const;
    void collectFolderFiles(const QString& folder);

    TVARdlgCreatePL& values_;
    UserDialogs& dialogs_;
    WaitWindowRunner runner_;
    QStringList folderFiles_;
    QStringList* created_ = nullptr;
};
