#include "MissingSongsPart.h"
#include "common/PathText.h"

#include "FindMissingSongsDialog.h"
#include "WaitWindow.h"

#include "collection/FolderChooser.h"
#include "collection/FolderListing.h"
#include "collection/MissingSongs.h"
#include "collection/MissingSongsModel.h"
#include "common/PathCaseLookup.h"
#include "common/TextDecoding.h"
#include "common/UserDialogs.h"
#include "playlists/CommandTarget.h"
#include "playlists/PlaylistListModel.h"
#include "playlists/SongListModel.h"
#include "playlists/gui/TargetCheck.h"
#include "playlists/gui/WindowServices.h"
#include "settings/Settings.h"
#include "startup/gui/ProgramContext.h"

#include <QFile>

void MissingSongsPart::findMissingSongs(bool shownPlaylist) {
    PlaylistListModel& list = window_.playlists();
    const SongListModel& songs = window_.songs();
    if (shownPlaylist && songs.playlistPath().isEmpty())
        return;
    const CommandTarget target =
        shownPlaylist ? CommandTarget::ofSongs(list, songs) : CommandTarget::ofPlaylists(list);
    QList<QByteArray> paths;
    if (shownPlaylist)
        paths.append(songs.playlistPath());
    for (int row : shownPlaylist ? QList<int>() : target.rows())
        paths.append(list.path(row));
    if (paths.isEmpty())
        return;
    QList<PlaylistRelocation> playlists = collect(paths);
    if (playlists.isEmpty())
        return;

    UserDialogs& dialogs = window_.context().dialogs;
    FindMissingInputs& remembered = window_.context().vars.findMissing;
    const QString folder =
        browseForFolder(dialogs, QStringLiteral("Select a folder to search for the missing songs:"),
                        remembered.folder);
    if (folder.isEmpty())
        return;
    remembered.folder = folder;
    if (!folderExists(folder)) {
        dialogs.showMessage(QLatin1String("Folder not found:\r") + folder);
        return;
    }
    if (!targetStillHolds(window_, target) ||
        !findMovedSongs(playlists, pathBytes(folder), &WaitWindow::runWalk))
        return;
    MissingSongsModel review(std::move(playlists));
    FindMissingSongsDialog dialog(review, &window_.widget());
    if (dialog.exec() != QDialog::Accepted || !targetStillHolds(window_, target))
        return;
    write(review.playlists());
}

QList<PlaylistRelocation> MissingSongsPart::collect(const QList<QByteArray>& paths) {
    PathCaseLookup lookup;
    QList<PlaylistRelocation> playlists;
    QStringList problems;
    const auto read = [&](WalkProgress& progress) {
        for (const QByteArray& path : paths) {
            if (!progress.tick(decodeText(path)))
                return WalkResult{false, Status::ok()};
            PlaylistRelocation playlist;
            if (const Status status = collectMissingSongs(path, lookup, playlist); status.failed())
                problems.append(status.message());
            else if (!playlist.songs.isEmpty())
                playlists.append(std::move(playlist));
        }
        return WalkResult{true, Status::ok()};
    };
    // Many playlists take a while to read: the wait window shows which, and Abort stops.
    const QString caption = QStringLiteral("Finding Missing Songs");
    const QString header = QStringLiteral("Currently reading playlist:");
    const WalkResult done = paths.size() > 1 ? WaitWindow::runWalk(caption, header, read)
                                             : runWithoutWaitWindow(caption, header, read);
    if (!done.completed)
        return {};
    UserDialogs& dialogs = window_.context().dialogs;
    if (!problems.isEmpty())
        dialogs.showMessage(problems.join(QLatin1Char('\r')));
    else if (playlists.isEmpty())
        dialogs.showMessage(QStringLiteral("No missing songs were found."));
    return playlists;
}

void MissingSongsPart::write(const QList<PlaylistRelocation>& playlists) {
    QStringList failures;
    bool shownChanged = false;
    const QByteArray& shown = window_.songs().identity().path;
    for (const PlaylistRelocation& playlist : playlists) {
        if (const Status repaired = repairPlaylist(playlist); repaired.failed())
            failures.append(repaired.message());
        else
            shownChanged = shownChanged || playlist.file.path == shown;
    }
    if (!failures.isEmpty())
        window_.context().dialogs.showMessage(failures.join(QLatin1Char('\r')));
    if (shownChanged)
        window_.showFocusedPlaylist();
}
