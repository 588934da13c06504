#include "PlayListSeek.h"

#include "FolderListing.h"
#include "WalkProgress.h"
#include "common/PathRules.h"
#include "common/TextDecoding.h"
#include "settings/SharedVariables.h"

#include <QFile>

StepResult SeekPlayLists(const QString& folder, FolderListing& listing, QList<QByteArray>& found) {
    if (!ProgressTick(folder))
        return StepResult::stop();
    for (const QByteArray& name : listing.matchesByMasks(PlayListMasks))
        found.append(listing.nativePath() + name);
    return StepResult::goOn();
}

StepResult SeekPlayLists(const QString& folder, QList<QByteArray>& found) {
    FolderListing listing(AddTrailingBackslash(QFile::encodeName(folder)));
    return SeekPlayLists(folder, listing, found);
}

bool SeekPlayListsIn(const QByteArray& folder, bool subFolders, const WaitWindowRunner& runner,
                     QList<QByteArray>& found) {
    const ListingStep step = [&](const QString& f, FolderListing& listing) {
        return SeekPlayLists(f, listing, found);
    };
    if (!subFolders) {
        FolderListing listing(AddTrailingBackslash(folder));
        return step(decodeText(folder), listing).goesOn();
    }
    return runner(QStringLiteral("Adding Playlists"),
                  QStringLiteral("Currently seeking playlists in folder:"),
                  [&] { return WalkFolders(folder, step); })
        .completed;
}

bool SeekPlayListsIn(const QString& folder, bool subFolders, const WaitWindowRunner& runner,
                     QList<QByteArray>& found) {
    return SeekPlayListsIn(QFile::encodeName(folder), subFolders, runner, found);
}
