#include "PlayingPart.h"

#include "common/gui/WindowServices.h"
#include "common/gui/ProgramContext.h"

#include "common/PathRules.h"
#include "playlists/PlayingModule.h"
#include "playlists/PlaylistListModel.h"
#include "playlists/RowSelection.h"
#include "playlists/SongListModel.h"
#include "settings/Settings.h"
#include "common/gui/WaitWindow.h"

namespace {
// About a second's reading on a warm disk; fewer are read before the wait window could show.
constexpr qsizetype ManyPlaylists = 10000;
} // namespace

void PlayingPart::executePlaylists() {
    ProgramContext& context = window_.context();
    const QList<QByteArray> paths = window_.playlists().pathsAt(window_.playlistSelection().rows());
    // Thousands of playlists take a while to read: the wait window shows which one, keeps the
    // window painted, and Abort plays nothing.
    if (paths.size() < ManyPlaylists) {
        context.playing.executePlaylists(paths, context.settings.preferences);
        return;
    }
    (void)WaitWindow::runWalk(
        QStringLiteral("Playing"), QStringLiteral("Currently reading playlist:"),
        [&](WalkProgress& progress) {
            context.playing.executePlaylists(paths, context.settings.preferences, &progress);
            return WalkResult{true, Status::ok()};
        });
}

void PlayingPart::executeSongs() {
    const SongListModel& songs = window_.songs();
    // Songs resolve against the folder of the file they were read from, with their bytes.
    if (songs.playlistPath().isEmpty())
        return;
    ProgramContext& context = window_.context();
    context.playing.executeSongs(
        songs.entriesAt(window_.songSelection().rows()),
        NativePath::withTrailingSeparator(NativePath::folderPart(songs.identity().path)),
        context.settings.preferences);
}
