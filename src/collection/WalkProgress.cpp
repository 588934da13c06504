#include "WalkProgress.h"

namespace {
// The one program-wide reference to the open wait window.
WalkProgress* currentWaitWindow = nullptr;
} // namespace

WalkProgress* CurrentWaitWindow() {
    return currentWaitWindow;
}

void SetCurrentWaitWindow(WalkProgress* progress) {
    currentWaitWindow = progress;
}

bool ProgressTick(const QString& folder) {
    return currentWaitWindow ? currentWaitWindow->tick(folder) : true;
}
