#include "WalkProgress.h"

namespace {
// The one program-wide reference to the open wait window.
WalkProgress* openWaitWindow = nullptr;
} // namespace

WalkProgress* currentWaitWindow() {
    return openWaitWindow;
}

void setCurrentWaitWindow(WalkProgress* progress) {
    openWaitWindow = progress;
}

bool progressTick(const QString& folder) {
    return openWaitWindow ? openWaitWindow->tick(folder) : true;
}
