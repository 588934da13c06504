#include "PlayingPart.h"

#include "WindowServices.h"
#include "startup/gui/ProgramContext.h"

#include "common/PathRules.h"
#include "playlists/PlayingModule.h"
#include "playlists/PlaylistListModel.h"
#include "playlists/SongListModel.h"
#include "settings/Settings.h"

void PlayingPart::executePlaylists() {
    ProgramContext& context = window_.context();
    context.playing.executePlaylists(window_.playlists().selectedPaths(), context.vars.preferences);
}

void PlayingPart::executeSongs() {
    const SongListModel& songs = window_.songs();
    // Songs resolve against the folder of the file they were read from, with their bytes.
    if (songs.playlistPath().isEmpty())
        return;
    ProgramContext& context = window_.context();
    context.playing.executeSongs(
        songs.selectedEntries(),
        NativePath::withTrailingSeparator(NativePath::folderPart(songs.identity().path)),
        context.vars.preferences);
}
