#include "PlayListSeek.h"

#include "FolderListing.h"
#include "WalkProgress.h"
#include "settings/SharedVariables.h"

#include <QFile>

StepResult SeekPlayLists(const QString& folder, FolderListing& listing, QStringList& found) {
    if (!ProgressTick(folder))
        return StepResult::stop();
    for (const QByteArray& name : listing.matchesByMasks(PlayListMasks))
        found.append(folder + QFile::decodeName(name));
    return StepResult::goOn();
}

StepResult SeekPlayLists(const QString& folder, QStringList& found) {
    FolderListing listing(QFile::encodeName(folder));
    return SeekPlayLists(folder, listing, found);
}

bool SeekPlayListsIn(const QString& folder, bool subFolders, const WaitWindowRunner& runner,
                     QStringList& found) {
    if (!subFolders)
        return SeekPlayLists(folder, found).goesOn();
    const ListingStep step = [&](const QString& f, FolderListing& listing) {
        return SeekPlayLists(f, listing, found);
    };
    return runner(QStringLiteral("Adding Playlists"),
                  QStringLiteral("Currently seeking playlists in folder:"),
                  [&] { return WalkFolders(folder, step); })
        .completed;
}
