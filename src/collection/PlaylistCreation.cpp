#include "PlaylistCreation.h"
#include "base/PathText.h"

#include "CollectionLog.h"

#include "FolderListing.h"
#include "common/WalkProgress.h"
#include "common/PathRules.h"
#include "base/TextDecoding.h"
#include "common/UserDialogs.h"
#include "platform/FileOperations.h"
#include "platform/WriteLeftovers.h"
#include "playlists/ListSorting.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <future>
#include <utility>

QByteArray playlistNameFor(const QByteArray& folder, const QByteArray& baseFolder) {
    const QList<QByteArray> names = folder.mid(baseFolder.size()).split('/');
    QByteArray name;
    for (const QByteArray& part : names) {
        if (part.isEmpty())
            continue;
        if (!name.isEmpty())
            name += " - ";
        name += part;
    }
    return (name.isEmpty() ? QByteArrayLiteral("PlayList") : name) + ".M3U";
}

QString playlistNameFor(const QString& folder, const QString& baseFolder) {
    return pathText(playlistNameFor(pathBytes(folder), pathBytes(baseFolder)));
}

PlaylistCreation::PlaylistCreation(CreatePlaylistsInputs& values, UserDialogs& dialogs,
                                   WaitWindowRunner runner, Flush flush)
    : values_(values), dialogs_(dialogs), runner_(std::move(runner)), flush_(std::move(flush)),
      collator_(sortCollator()) {}

WalkResult PlaylistCreation::createPlaylists(QList<QByteArray>& created) {
    const qsizetype before = created.size();
    created_ = &created;
    writtenFolders_.clear();
    folderFiles_.clear();
    values_.baseFolder = NativePath::withTrailingSeparator(values_.baseFolder);
    values_.playlistsFolder = NativePath::withTrailingSeparator(values_.playlistsFolder);
    baseFolder_ = pathBytes(values_.baseFolder);
    WalkResult result;
    if (!folderExists(values_.baseFolder)) {
        qCWarning(lcCollection) << "creating playlists: no folder" << values_.baseFolder;
        dialogs_.showMessage(QLatin1String("Folder doesn't exist:\r") + values_.baseFolder);
    } else {
        result = createBelowBaseFolder();
        // Their writes are not logged one by one: a tree may hold thousands of folders.
        qCDebug(lcCollection) << "created" << created.size() - before << "playlists below"
                              << values_.baseFolder;
    }
    folderFiles_.clear();
    created_ = nullptr;
    return result;
}

WalkResult PlaylistCreation::createBelowBaseFolder() {
    // A folder that cannot be made shows up when its first playlist cannot be written.
    if (!values_.inMusicFolders)
        if (!QDir().mkpath(values_.baseFolder + values_.playlistsFolder))
            qCDebug(lcCollection) << "cannot make the playlists folder"
                                  << values_.baseFolder + values_.playlistsFolder;
    const ListingStep step = [this](const QString& folder, FolderListing& listing) {
        return createFolderPlaylist(folder, listing);
    };
    if (!values_.withSubFolders) {
        NoProgress silent;
        progress_ = &silent;
        FolderListing listing(baseFolder_);
        const StepResult result = step(values_.baseFolder, listing);
        const WalkResult run = flushed({result.goesOn(), result.error()});
        progress_ = nullptr;
        return run;
    }
    // The flush runs under the wait window too: it may take a while on a slow disk.
    return runner_(
        QStringLiteral("Creating Playlists"),
        QStringLiteral("Currently creating playlist for folder:"), [&](WalkProgress& progress) {
            progress_ = &progress;
            // A run writes only into the tree it was given.
            const WalkResult run = flushed(walkFolders(baseFolder_, step, LinkScope::StayInside));
            progress_ = nullptr;
            return run;
        });
}

// One flush for each file system written to instead of one per playlist; a failure is a
// write failure (the flush logs its cause). Whatever ended the run, what it wrote is kept, so
// that is made durable too.
WalkResult PlaylistCreation::flushed(const WalkResult& result) {
    const QHash<quint64, QByteArray> written = std::exchange(writtenFolders_, {});
    for (const QByteArray& folder : written) {
        const Status flush = flushResponsively(folder);
        if (flush.failed() && result.error.isOk())
            return {false, reportWriteError(decodeText(folder))};
    }
    return result;
}

// A flush may take a while on a slow disk: the wait window stays painted and movable meanwhile.
Status PlaylistCreation::flushResponsively(const QByteArray& folder) {
    std::future<Status> pending = std::async(std::launch::async, flush_, folder);
    const QString shown = decodeText(folder);
    while (pending.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready)
        progress_->tick(shown);
    return pending.get();
}

StepResult PlaylistCreation::createFolderPlaylist(const QString& folder, FolderListing& listing) {
    folderFiles_.clear();
    if (!progress_->tick(folder))
        return StepResult::stop();
    collectFolderFiles(listing);
    const QByteArray path = playlistPath(listing.nativePath());
    if (!values_.inMusicFolders) {
        // Both sides cleaned alike, so that a playlists folder such as ".." or "./x" gives
        // entries that name the files.
        const QByteArray folder = NativePath::clean(listing.nativePath());
        for (QByteArray& name : folderFiles_)
            name = NativePath::makeRelative(folder + name, path);
    }
    // The playlist goes into the folder just listed: that listing shows any leftover of a
    // killed write, so the writer need not list the folder again.
    const bool listedClean = values_.inMusicFolders &&
                             std::none_of(listing.entries().begin(), listing.entries().end(),
                                          [](const NativeFolder::Entry& entry) {
                                              return WriteLeftovers::isTemporaryName(entry.name);
                                          });
    if (Status saved = saveFolderPlaylist(path, listedClean); saved.failed())
        return StepResult::fail(saved);
    // A tree may hold mount points: each file system that got a playlist is flushed.
    const quint64 device = listing.id().device;
    if (!folderFiles_.isEmpty() && !writtenFolders_.contains(device))
        writtenFolders_.insert(device, path.left(path.lastIndexOf('/') + 1));
    return StepResult::goOn();
}

void PlaylistCreation::collectFolderFiles(FolderListing& listing) {
    folderFiles_ = listing.matchesByMasks(MediaMasks);
    if (!values_.sorted)
        return;
    QStringList texts;
    texts.reserve(folderFiles_.size());
    for (const QByteArray& name : std::as_const(folderFiles_))
        texts.append(decodeEntry(name));
    EntryList sorted;
    sorted.reserve(folderFiles_.size());
    for (qsizetype index : localeSortedOrder(texts, collator_))
        sorted.append(folderFiles_.at(index));
    folderFiles_ = sorted;
}

QByteArray PlaylistCreation::playlistPath(const QByteArray& folder) const {
    const QByteArray name = playlistNameFor(folder, baseFolder_);
    if (values_.inMusicFolders)
        return folder + '_' + name;
    return NativePath::clean(baseFolder_ + pathBytes(values_.playlistsFolder) + name);
}

Status PlaylistCreation::saveFolderPlaylist(const QByteArray& path, bool listedClean) {
    // A line of the playlist cannot hold a line break: such a name would read back as two
    // entries that name nothing, so the file is left out.
    folderFiles_.removeIf(
        [](const QByteArray& entry) { return entry.contains('\n') || entry.contains('\r'); });
    if (folderFiles_.isEmpty())
        return Status::ok();
    // Made durable all together once the walk is done. A failed write logs its cause.
    FileOperations::WriteOptions unflushed;
    unflushed.flush = false;
    unflushed.oneOfMany = true;
    unflushed.listedWithoutLeftovers = listedClean;
    if (FileOperations::writeFile(path, playlistFileBytes(playlistText(folderFiles_)), unflushed)
            .failed())
        return reportWriteError(decodeText(path));
    if (created_)
        created_->append(path);
    return Status::ok();
}

Status PlaylistCreation::reportWriteError(const QString& path) {
    progress_->setStayOnTop(false);
    dialogs_.showMessage(QLatin1String("Error creating play list:\r") + path);
    progress_->setStayOnTop(true);
    return Status::failure(QLatin1String("Cannot create file ") + path);
}
