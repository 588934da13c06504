#include "TargetCheck.h"

#include "WindowServices.h"

#include "common/UserDialogs.h"
#include "playlists/CommandTarget.h"
#include "playlists/RowSelection.h"
#include "playlists/PlaylistsLog.h"
#include "ProgramContext.h"

bool targetStillHolds(WindowServices& window, const CommandTarget& target) {
    const Status holds =
        target.stillHolds(window.playlists(), window.playlistSelection(), window.songs());
    if (holds.failed()) {
        qCWarning(lcPlaylists) << "command not carried out:" << holds.message();
        window.context().dialogs.showMessage(holds.message());
    }
    return holds.isOk();
}
