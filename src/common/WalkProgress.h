#pragma once

#include <QString>

// The display a walk reports to: the wait window in the program, handed to the walk by the
// runner that shows it.
class WalkProgress {
public:
    virtual ~WalkProgress() = default;
    // Shows the folder and lets pending events run; false once the user asked to stop.
    // A request made while the events run is answered by the next folder's tick.
    virtual bool tick(const QString& folder) = 0;
    // Lets a message box come in front of the display, and puts the display back on top.
    virtual void setStayOnTop(bool onTop) = 0;
};

// What a walk without a display reports to: it always goes on.
class NoProgress : public WalkProgress {
public:
    bool tick(const QString&) override { return true; }
    void setStayOnTop(bool) override {}
};
