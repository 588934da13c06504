#include "MissingSongsPart.h"
#include "base/PathText.h"

#include "FindMissingSongsDialog.h"
#include "common/gui/WaitWindow.h"

#include "collection/CollectionLog.h"
#include "collection/FolderChooser.h"
#include "collection/FolderListing.h"
#include "collection/MissingSongs.h"
#include "collection/MissingSongsModel.h"
#include "common/PathCaseLookup.h"
#include "base/TextDecoding.h"
#include "common/UserDialogs.h"
#include "playlists/CommandTarget.h"
#include "playlists/PlaylistListModel.h"
#include "playlists/RowSelection.h"
#include "playlists/SongListModel.h"
#include "common/gui/TargetCheck.h"
#include "common/gui/WindowServices.h"
#include "settings/Settings.h"
#include "common/gui/ProgramContext.h"

#include <QFile>

#include <algorithm>

void MissingSongsPart::findMissingSongs(bool shownPlaylist) {
    PlaylistListModel& list = window_.playlists();
    const SongListModel& songs = window_.songs();
    if (shownPlaylist && songs.playlistPath().isEmpty())
        return;
    const CommandTarget target =
        shownPlaylist ? CommandTarget::ofSongs(list, songs, window_.songSelection())
                      : CommandTarget::ofPlaylists(list, window_.playlistSelection());
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
    FindMissingInputs& remembered = window_.context().settings.findMissing;
    const QString folder =
        browseForFolder(dialogs, QStringLiteral("Select a folder to search for the missing songs:"),
                        remembered.folder);
    if (folder.isEmpty())
        return;
    remembered.folder = folder;
    if (!folderExists(folder)) {
        qCWarning(lcCollection) << "finding missing songs: no folder" << folder;
        dialogs.showMessage(QLatin1String("Folder not found:\r") + folder);
        return;
    }
    if (!targetStillHolds(window_, target) ||
        !findMovedSongs(playlists, pathBytes(folder), &WaitWindow::runWalk))
        return;
    MissingSongsModel review(std::move(playlists));
    FindMissingSongsDialog dialog(review, &window_.widget());
    // The playlists reviewed are files, each checked before it is written: what happened to
    // the list meanwhile (a second copy's list taken over) does not matter.
    if (dialog.exec() == QDialog::Accepted)
        write(review.playlists());
}

namespace {
const QString Caption = QStringLiteral("Finding Missing Songs");

// Many playlists take a while: the wait window shows which one, and Abort stops.
WalkResult runOverPlaylists(qsizetype count, const QString& header, const WalkWithProgress& work) {
    return count > 1 ? WaitWindow::runWalk(Caption, header, work)
                     : runWithoutWaitWindow(Caption, header, work);
}

bool hasChanges(const PlaylistRelocation& playlist) {
    return std::any_of(playlist.songs.cbegin(), playlist.songs.cend(),
                       [](const SongRelocation& song) { return song.checked && song.chosen >= 0; });
}
} // namespace

QList<PlaylistRelocation> MissingSongsPart::collect(const QList<QByteArray>& paths) {
    PathCaseLookup lookup;
    QList<PlaylistRelocation> playlists;
    QStringList problems;
    const auto read = [&](WalkProgress& progress) {
        for (const QByteArray& path : paths) {
            if (!progress.tick(decodeText(path)))
                return WalkResult{false, Status::ok()};
            Result<PlaylistRelocation> playlist = collectMissingSongs(path, lookup);
            if (playlist.failed())
                problems.append(playlist.status().message());
            else if (!playlist->songs.isEmpty())
                playlists.append(std::move(playlist).value());
        }
        return WalkResult{true, Status::ok()};
    };
    if (!runOverPlaylists(paths.size(), QStringLiteral("Currently reading playlist:"), read)
             .completed)
        return {};
    UserDialogs& dialogs = window_.context().dialogs;
    if (!problems.isEmpty())
        dialogs.showMessage(problems.join(QLatin1Char('\r')));
    else if (playlists.isEmpty())
        dialogs.showMessage(QStringLiteral("No missing songs were found."));
    return playlists;
}

void MissingSongsPart::write(const QList<PlaylistRelocation>& playlists) {
    QList<const PlaylistRelocation*> changed;
    for (const PlaylistRelocation& playlist : playlists)
        if (hasChanges(playlist))
            changed.append(&playlist);
    QStringList failures;
    qsizetype written = 0;
    bool shownChanged = false;
    const QByteArray shown = window_.songs().identity().path;
    const auto writeEach = [&](WalkProgress& progress) {
        for (const PlaylistRelocation* playlist : changed) {
            if (!progress.tick(decodeText(playlist->listPath)))
                return WalkResult{false, Status::ok()};
            if (const Status repaired = repairPlaylist(*playlist); repaired.failed()) {
                failures.append(repaired.message());
                continue;
            }
            ++written;
            shownChanged = shownChanged || playlist->file.path == shown;
        }
        return WalkResult{true, Status::ok()};
    };
    if (!runOverPlaylists(changed.size(), QStringLiteral("Currently writing playlist:"), writeEach)
             .completed) {
        qCWarning(lcCollection) << "repairing playlists: stopped after" << written << "of"
                                << changed.size();
        failures.append(QStringLiteral("%1 of %2 playlists were updated, the others were left as "
                                       "they were.")
                            .arg(written)
                            .arg(changed.size()));
    } else {
        qCDebug(lcCollection) << "repaired" << written << "of" << changed.size() << "playlists";
    }
    if (!failures.isEmpty())
        window_.context().dialogs.showMessage(failures.join(QLatin1Char('\r')));
    if (shownChanged)
        window_.showFocusedPlaylist();
}
