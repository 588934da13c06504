#include "PlayListSeek.h"

#include "FolderListing.h"
#include "WalkProgress.h"
#include "settings/SharedVariables.h"

StepResult SeekPlayLists(const QString& folder, QStringList& found) {
    if (!ProgressTick(folder))
        return StepResult::stop();
    for (const QString& name : MatchesByMasks(folder, PlayListMasks))
        found.append(folder + name);
    return StepResult::goOn();
}
