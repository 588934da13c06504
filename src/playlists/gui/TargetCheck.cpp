#include "TargetCheck.h"

#include "WindowServices.h"

#include "common/UserDialogs.h"
#include "playlists/CommandTarget.h"
#include "startup/gui/ProgramContext.h"

bool targetStillHolds(WindowServices& window, const CommandTarget& target) {
    const Status holds = target.stillHolds(window.playlists(), window.songs());
    if (holds.failed())
        window.context().dialogs.showMessage(holds.message());
    return holds.isOk();
}
