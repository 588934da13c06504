#include "PlayListSeek.h"

#include "FolderListing.h"
#include "WalkProgress.h"
#include "common/PathRules.h"
#include "common/TextDecoding.h"
#include "settings/Settings.h"

#include <QFile>

StepResult findPlaylists(const QString& folder, FolderListing& listing, QList<QByteArray>& found) {
    if (!progressTick(folder))
        return StepResult::stop();
    for (const QByteArray& name : listing.matchesByMasks(PlayListMasks))
        found.append(listing.nativePath() + name);
    return StepResult::goOn();
}

StepResult findPlaylists(const QString& folder, QList<QByteArray>& found) {
    FolderListing listing(NativePath::withTrailingSeparator(QFile::encodeName(folder)));
    return findPlaylists(folder, listing, found);
}

bool findPlaylistsIn(const QByteArray& folder, bool subFolders, const WaitWindowRunner& runner,
                     QList<QByteArray>& found) {
    const ListingStep step = [&](const QString& f, FolderListing& listing) {
        return findPlaylists(f, listing, found);
    };
    if (!subFolders) {
        FolderListing listing(NativePath::withTrailingSeparator(folder));
        return step(decodeText(folder), listing).goesOn();
    }
    return runner(QStringLiteral("Adding Playlists"),
                  QStringLiteral("Currently seeking playlists in folder:"),
                  [&] { return walkFolders(folder, step); })
        .completed;
}

bool findPlaylistsIn(const QString& folder, bool subFolders, const WaitWindowRunner& runner,
                     QList<QByteArray>& found) {
    return findPlaylistsIn(QFile::encodeName(folder), subFolders, runner, found);
}
