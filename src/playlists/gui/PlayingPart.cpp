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
    // Songs resolve against the folder of the playlist they were read from.
    if (songs.playlistPath().isEmpty())
        return;
    ProgramContext& context = window_.context();
    context.playing.ExecuteSelectedSongs(
        songs.selectedTexts(), AddTrailingBackslash(ExtractFilePath(songs.playlistPath())),
        context.vars.dlgPreferences);
}
