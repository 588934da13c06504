#pragma once

#include <QString>

// The display a walk reports to: the wait window in the program. At most one is current.
class WalkProgress {
public:
    virtual ~WalkProgress() = default;
    // Shows the folder and lets pending events run; false once the user asked to stop.
    // A request made while the events run is answered by the next folder's tick.
    virtual bool tick(const QString& folder) = 0;
    // Lets a message box come in front of the display, and puts the display back on top.
    virtual void setStayOnTop(bool onTop) = 0;
};

// The open wait window, or null. The window sets itself here and clears it when destroyed.
WalkProgress* currentWaitWindow();
void setCurrentWaitWindow(WalkProgress* progress);

// First action of every folder step: without a current wait window it only says "go on".
bool progressTick(const QString& folder);
