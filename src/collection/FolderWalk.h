#pragma once

#include "common/WalkProgress.h"
#include "base/Status.h"

#include <QString>

#include <functional>

// What a folder step tells the walk.
class StepResult {
public:
    static StepResult goOn() { return StepResult(true, Status::ok()); }
    static StepResult stop() { return StepResult(false, Status::ok()); }
    // Ends the walk at once; the error reaches the walk's caller.
    static StepResult fail(const Status& error) { return StepResult(false, error); }

    bool goesOn() const { return goOn_; }
    const Status& error() const { return error_; }

private:
    StepResult(bool goOn, const Status& error) : goOn_(goOn), error_(error) {}

    bool goOn_;
    Status error_;
};

class FolderListing;

// The step receives the full path of one folder, always ending in "/", as text to show (the
// listing's path holds its bytes).
using FolderStep = std::function<StepResult(const QString& folder)>;
// A step that takes the folder's files from the walk's own listing of it, so that every
// folder is listed once. A step that does not ask leaves the listing to the walk, after it.
using ListingStep = std::function<StepResult(const QString& folder, FolderListing& listing)>;

// Whether a walk that writes may leave the start folder's tree through a symbolic link.
enum class LinkScope { Follow, StayInside };

struct WalkResult {
    bool completed = false;      // the walk (or run) went through to its end
    Status error = Status::ok(); // a step failed and ended it there
};

// Visits the start folder and every folder below it, pre-order and depth first: a folder's
// step runs before its sub-folders are listed, and sibling folders come in listing order.
// Hidden folders (names beginning with ".") and names ending with "." are skipped with their
// sub-trees. Once a step has said stop, the remaining folders at every open level still get
// their step (which says stop again) but nothing more is listed. A folder reached twice
// through symbolic links is walked only the first time; with StayInside a link to a folder
// outside the start folder's tree is not entered at all. Not completed when the start folder
// does not exist or a step said stop.
WalkResult walkFolders(const QString& startFolder, const FolderStep& step);
WalkResult walkFolders(const QString& startFolder, const ListingStep& step);
WalkResult walkFolders(const QByteArray& startFolder, const ListingStep& step,
                       LinkScope links = LinkScope::Follow);

// Runs a walk under a wait window with this caption and header (the program's one is the
// wait window's); a run without a display simply calls the walk.
// The walk reports to the progress the runner gives it.
using WalkWithProgress = std::function<WalkResult(WalkProgress& progress)>;
using WaitWindowRunner = std::function<WalkResult(const QString& caption, const QString& header,
                                                  const WalkWithProgress& walk)>;
WalkResult runWithoutWaitWindow(const QString& caption, const QString& header,
                                const WalkWithProgress& walk);
