#include "PlaylistSeek.h"
#include "base/PathText.h"

#include "CollectionLog.h"
#include "FolderListing.h"
#include "common/WalkProgress.h"
#include "common/PathRules.h"
#include "base/TextDecoding.h"
#include "settings/Settings.h"

#include <QFile>

StepResult findPlaylists(WalkProgress& progress, const QString& folder, FolderListing& listing,
                         QList<QByteArray>& found) {
    if (!progress.tick(folder))
        return StepResult::stop();
    for (const QByteArray& name : listing.matchesByMasks(PlaylistMasks))
        found.append(listing.nativePath() + name);
    return StepResult::goOn();
}

bool findPlaylistsIn(const QByteArray& folder, bool subFolders, const WaitWindowRunner& runner,
                     QList<QByteArray>& found) {
    const qsizetype before = found.size();
    bool completed = false;
    if (!subFolders) {
        FolderListing listing(NativePath::withTrailingSeparator(folder));
        NoProgress silent;
        completed = findPlaylists(silent, decodeText(folder), listing, found).goesOn();
    } else {
        completed =
            runner(QStringLiteral("Adding Playlists"),
                   QStringLiteral("Currently seeking playlists in folder:"),
                   [&](WalkProgress& progress) {
                       return walkFolders(folder, [&](const QString& f, FolderListing& listing) {
                           return findPlaylists(progress, f, listing, found);
                       });
                   })
                .completed;
    }
    qCDebug(lcCollection).nospace() << "found " << found.size() - before << " playlists in "
                                    << folder << (completed ? "" : ", then stopped");
    return completed;
}

bool findPlaylistsIn(const QString& folder, bool subFolders, const WaitWindowRunner& runner,
                     QList<QByteArray>& found) {
    return findPlaylistsIn(pathBytes(folder), subFolders, runner, found);
}
