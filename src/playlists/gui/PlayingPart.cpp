#include "PlayingPart.h"

#include "MainWindow.h"

#include "common/PathRules.h"
#include "playlists/PlayingModule.h"
#include "playlists/PlaylistListModel.h"
#include "playlists/SongListModel.h"
#include "settings/SharedVariables.h"

void PlayingPart::executePlaylists() {
    ProgramContext& context = window_.context();
    context.playing.ExecuteSelectedPlayLists(window_.playlists().selectedPaths(),
                                             context.vars.dlgPreferences);
}

void PlayingPart::executeSongs() {
    const SongListModel& songs = window_.songs();
    // Songs resolve against the folder of the file they were read from, with their bytes.
    if (songs.playlistPath().isEmpty())
        return;
    ProgramContext& context = window_.context();
    context.playing.ExecuteSelectedSongs(
        songs.selectedEntries(), AddTrailingBackslash(ExtractFilePath(songs.identity().path)),
        context.vars.dlgPreferences);
}
