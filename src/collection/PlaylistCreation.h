#pragma once

#include "FolderWalk.h"
#include "platform/FileOperations.h"
#include "playlists/PlaylistFile.h"
#include "settings/Settings.h"

#include <QCollator>
#include <QHash>
#include <QStringList>

class FolderListing;
class UserDialogs;

// The file name of a folder's playlist: the folder's path below the base folder with " - "
// between its names ("Rock - Live 1999 - CD1.M3U"), "PlayList.M3U" for the base folder.
// Both paths end in "/" and the folder lies below (or is) the base folder.
QString playlistNameFor(const QString& folder, const QString& baseFolder);
QByteArray playlistNameFor(const QByteArray& folder, const QByteArray& baseFolder);

// Creation runs: one playlist for every folder that holds media files, with the remembered
// Create Playlists values as parameters. Messages go through `dialogs`.
class PlaylistCreation {
public:
    // Makes what was written to the file system holding a folder durable.
    using Flush = std::function<Status(const QByteArray& folder)>;

    PlaylistCreation(CreatePlaylistsInputs& values, UserDialogs& dialogs, WaitWindowRunner runner,
                     Flush flush = FileOperations::flushFileSystem);

    // One run; every playlist written is appended to `created` as a full path. Completed when
    // the run went through to its end; a write error ends it and is returned. The playlists
    // are written to the disk together when the run ends.
    WalkResult createPlaylists(QList<QByteArray>& created);

private:
    // The step of a run.
    StepResult createFolderPlaylist(const QString& folder, FolderListing& listing);
    // Writes the folder's files as a playlist (none when there are none) and records it.
    Status saveFolderPlaylist(const QByteArray& path, bool listedClean);
    WalkResult createBelowBaseFolder();
    WalkResult flushed(const WalkResult& result);
    Status flushResponsively(const QByteArray& folder);
    QByteArray playlistPath(const QByteArray& folder) const;
    void collectFolderFiles(FolderListing& listing);
    Status reportWriteError(const QString& path);

    CreatePlaylistsInputs& values_;
    UserDialogs& dialogs_;
    WaitWindowRunner runner_;
    WalkProgress* progress_ = nullptr; // the display of the run under way
    Flush flush_;
    QCollator collator_;
    QByteArray baseFolder_; // the base folder's bytes
    EntryList folderFiles_;
    QList<QByteArray>* created_ = nullptr;
    QHash<quint64, QByteArray> writtenFolders_; // a folder written to, by file system
};
