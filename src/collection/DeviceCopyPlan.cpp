#include "DeviceCopyPlan.h"

#include "CollectionLog.h"
#include "DeviceNames.h"
#include "DevicePlaylistText.h"
#include "common/WalkProgress.h"
#include "common/PathCaseLookup.h"
#include "common/PathRules.h"
#include "base/TextDecoding.h"
#include "platform/RawNames.h"

#include <QHash>
#include <QSet>

#include <algorithm>

#include <unistd.h>

namespace {

using DeviceFiles::FileSystemKind;

constexpr qint64 Fat32FileLimit = (qint64(4) << 30) - 1;
constexpr qint64 MegaByte = 1000 * 1000;
// FAT keeps times to two seconds, exFAT to ten milliseconds.
constexpr qint64 FatTimeSlackNs = qint64(2'000'000'000);

QByteArray withoutSlash(QByteArray folder) {
    while (folder.size() > 1 && folder.endsWith('/'))
        folder.chop(1);
    return folder;
}

QByteArray joined(const QByteArray& folder, const QByteArray& name) {
    return folder.endsWith('/') ? QByteArray(folder + name) : QByteArray(folder + '/' + name);
}

// The deepest folder every path lies in, with its "/".
QByteArray sharedFolder(const QList<QByteArray>& paths) {
    if (paths.isEmpty())
        return "/";
    QByteArray shared = NativePath::folderPart(paths.first());
    for (const QByteArray& path : paths)
        while (!path.startsWith(shared)) {
            shared.chop(1);
            shared = NativePath::folderPart(shared);
        }
    return shared.isEmpty() ? QByteArray("/") : shared;
}

QString shown(const QByteArray& path) {
    return decodeText(path);
}

// Everything one planning needs besides the plan it fills.
class Planner {
public:
    Planner(const DeviceCopyOptions& options, DeviceCopyPlan& plan)
        : options_(options), plan_(plan),
          names_(options.deviceNames || plan.volume.kind != FileSystemKind::Other) {}

    void readPlaylist(const QByteArray& listPath);
    void placeSongs();
    void writePlaylists();
    // The copy would land among the songs it copies: in the folder of a song, or below the
    // deepest folder the songs of a playlist share.
    bool targetInsideMusic() const;

private:
    struct Read {
        QByteArray listPath;
        QByteArray file;
        IndexedPlaylist playlist;
        QList<qsizetype> songOfRow; // the song's index, -1 dropped, -2 kept as written
    };

    qsizetype songOf(const QByteArray& entry, const QByteArray& playlistFile);
    QByteArray nameOnDevice(QByteArrayView name) const;
    QByteArray placedPath(const QByteArray& folder, const QByteArray& owner, QByteArrayView name);
    void placeKeepingFolders();
    void placeByPlaylist();
    QByteArray placedFolder(const QByteArray& shared, const QByteArray& sourceFolder);
    DevicePlace placeOf(const DeviceSong& song);

    const DeviceCopyOptions& options_;
    DeviceCopyPlan& plan_;
    PathCaseLookup lookup_;
    DeviceNameTable names_;
    QList<Read> read_;
    QHash<std::pair<quint64, quint64>, qsizetype> songByFile_; // device and inode to the song
    DeviceFiles::FolderLook sourceLook_;
    DeviceFiles::FolderLook targetLook_;
    QHash<QByteArray, QByteArray> folderOnDevice_; // KeepFolders: a source folder's place
    QSet<QByteArray> missingSeen_;
    QList<QByteArray> playlistFolders_; // FolderPerPlaylist: each read playlist's folder
};

qsizetype Planner::songOf(const QByteArray& entry, const QByteArray& playlistFile) {
    if (PathCaseLookup::isKeptAsWritten(entry))
        return -2;
    // The name as written costs one look; only a song not found so is sought ignoring case.
    QByteArray path = lookup_.resolveEntryAsWritten(entry, playlistFile);
    std::optional<DeviceFiles::PlaceStatus> status = sourceLook_.status(path);
    if (!status) {
        path = lookup_.existingPath(path);
        status = sourceLook_.status(path);
    }
    if (!status) {
        if (!missingSeen_.contains(path)) {
            missingSeen_.insert(path);
            plan_.missing.append(shown(path));
        }
        return -1;
    }
    const std::pair<quint64, quint64> key{status->device, status->inode};
    if (const auto found = songByFile_.constFind(key); found != songByFile_.cend())
        return *found;
    if (!status->isRegular) {
        plan_.leftOut.append(shown(path) +
                             QLatin1String(": not a song file (a folder, a pipe or a device)"));
        songByFile_.insert(key, -1);
        return -1;
    }
    if (plan_.volume.kind == FileSystemKind::Fat && status->size > Fat32FileLimit) {
        plan_.leftOut.append(shown(path) + QLatin1String(": over 4 GB, more than FAT32 holds"));
        songByFile_.insert(key, -1);
        return -1;
    }
    DeviceSong song;
    song.source = path;
    song.size = status->size;
    song.modifiedNs = status->modifiedNs;
    plan_.songs.append(song);
    songByFile_.insert(key, plan_.songs.size() - 1);
    return plan_.songs.size() - 1;
}

void Planner::readPlaylist(const QByteArray& listPath) {
    Read read;
    read.listPath = listPath;
    read.file = lookup_.existingPath(listPath);
    Result<IndexedPlaylist> loaded = loadIndexedPlaylist(read.file);
    if (loaded.failed()) {
        plan_.problems.append(loaded.status().message());
        return;
    }
    read.playlist = std::move(loaded).value();
    if (!read.playlist.whole) {
        plan_.problems.append(
            shown(listPath) +
            QLatin1String("\rUnable to copy the playlist, it is not plain text!"));
        return;
    }
    const EntryTable& entries = read.playlist.entries;
    for (qsizetype row = 0; row < entries.size(); ++row)
        read.songOfRow.append(songOf(entries.at(row).toByteArray(), read.file));
    read_.append(std::move(read));
}

QByteArray Planner::nameOnDevice(QByteArrayView name) const {
    // FAT and exFAT keep names as UTF-16: bytes that are not UTF-8 cannot go as they are.
    const QByteArray stored =
        plan_.volume.kind == FileSystemKind::Other ? name.toByteArray() : DeviceNames::asUtf8(name);
    return options_.deviceNames ? DeviceNames::validName(stored) : stored;
}

QByteArray Planner::placedPath(const QByteArray& folder, const QByteArray& owner,
                               QByteArrayView name) {
    return joined(folder, names_.place(folder, owner, nameOnDevice(name)));
}

// The device folder of a source folder below `shared`, each of its folders placed in turn the
// first time it is asked for.
QByteArray Planner::placedFolder(const QByteArray& shared, const QByteArray& sourceFolder) {
    if (const auto found = folderOnDevice_.constFind(sourceFolder); found != folderOnDevice_.cend())
        return *found;
    QByteArray folder = withoutSlash(options_.target);
    QByteArray owner = shared;
    for (const QByteArray& part : sourceFolder.sliced(shared.size()).split('/')) {
        if (part.isEmpty())
            continue;
        owner += part + '/';
        folder = placedPath(folder, owner, part);
    }
    folderOnDevice_.insert(sourceFolder, folder);
    return folder;
}

void Planner::placeKeepingFolders() {
    QList<QByteArray> sources;
    for (const DeviceSong& song : plan_.songs)
        sources.append(song.source);
    const QByteArray shared = sharedFolder(sources);
    for (DeviceSong& song : plan_.songs) {
        const qsizetype slash = song.source.lastIndexOf('/');
        const QByteArray folder = placedFolder(shared, song.source.first(slash + 1));
        song.target =
            placedPath(folder, song.source, QByteArrayView(song.source).sliced(slash + 1));
    }
    for (qsizetype i = 0; i < read_.size(); ++i)
        playlistFolders_.append(withoutSlash(options_.target));
}

void Planner::placeByPlaylist() {
    QList<bool> placed(plan_.songs.size(), false);
    for (const Read& read : read_) {
        QByteArray stem = NativePath::fileName(read.file);
        if (const qsizetype dot = stem.lastIndexOf('.'); dot > 0)
            stem.truncate(dot);
        const QByteArray folder =
            placedPath(withoutSlash(options_.target), "playlist:" + read.listPath, stem);
        playlistFolders_.append(folder);
        const qsizetype count = std::count_if(read.songOfRow.cbegin(), read.songOfRow.cend(),
                                              [](qsizetype song) { return song >= 0; });
        const int digits = qMax(2, int(QByteArray::number(count).size()));
        int number = 0;
        for (const qsizetype song : read.songOfRow) {
            if (song < 0)
                continue;
            ++number;
            // A song of several playlists is copied once, with the first that holds it.
            if (placed.at(song))
                continue;
            placed[song] = true;
            const QByteArray name = QByteArray::number(number).rightJustified(digits, '0') + " - " +
                                    NativePath::fileName(plan_.songs.at(song).source);
            plan_.songs[song].target = placedPath(folder, plan_.songs.at(song).source, name);
        }
    }
}

DevicePlace Planner::placeOf(const DeviceSong& song) {
    const std::optional<DeviceFiles::PlaceStatus> there = targetLook_.status(song.target);
    if (!there)
        return DevicePlace::Free;
    const qint64 slack = plan_.volume.kind == FileSystemKind::Other ? 0 : FatTimeSlackNs;
    const bool same = there->isRegular && there->size == song.size &&
                      qAbs(there->modifiedNs - song.modifiedNs) <= slack;
    return same ? DevicePlace::Same : DevicePlace::Differs;
}

// The folders the target lies in, itself included and "/" left out, as device and inode: a
// song's folder is one of them by whatever path it is named.
QSet<std::pair<quint64, quint64>> foldersHolding(const QByteArray& target) {
    QSet<std::pair<quint64, quint64>> holding;
    const std::optional<QByteArray> real = RawNames::realPath(target);
    if (!real)
        return holding;
    for (QByteArray folder = *real; folder.size() > 1; folder.truncate(folder.lastIndexOf('/')))
        if (const std::optional<RawNames::FileStatus> status = RawNames::status(folder))
            holding.insert({status->device, status->inode});
    return holding;
}

bool Planner::targetInsideMusic() const {
    const QSet<std::pair<quint64, quint64>> holding = foldersHolding(options_.target);
    if (holding.isEmpty())
        return false;
    QList<QByteArray> folders;
    for (const Read& read : read_) {
        QList<QByteArray> songs;
        for (const qsizetype song : read.songOfRow)
            if (song >= 0)
                songs.append(plan_.songs.at(song).source);
        if (songs.isEmpty())
            continue;
        folders.append(sharedFolder(songs));
        for (const QByteArray& song : songs)
            folders.append(NativePath::folderPart(song));
    }
    std::sort(folders.begin(), folders.end());
    folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
    return std::any_of(folders.cbegin(), folders.cend(), [&](const QByteArray& folder) {
        const std::optional<RawNames::FileStatus> status = RawNames::status(folder);
        return status && holding.contains({status->device, status->inode});
    });
}

void Planner::placeSongs() {
    if (options_.layout == DeviceLayout::FolderPerPlaylist)
        placeByPlaylist();
    else
        placeKeepingFolders();
    for (DeviceSong& song : plan_.songs)
        song.place = placeOf(song);
}

void Planner::writePlaylists() {
    for (qsizetype index = 0; index < read_.size(); ++index) {
        const Read& read = read_.at(index);
        DevicePlaylist playlist;
        playlist.listPath = read.listPath;
        QByteArray name = NativePath::fileName(read.file);
        if (options_.carStereoM3u) {
            if (const qsizetype dot = name.lastIndexOf('.'); dot > 0)
                name.truncate(dot);
            name += ".m3u";
        }
        playlist.target =
            placedPath(playlistFolders_.at(index), "playlist file:" + read.listPath, name);
        QList<DeviceEntry> entries;
        for (qsizetype row = 0; row < read.songOfRow.size(); ++row) {
            const qsizetype song = read.songOfRow.at(row);
            if (song == -2)
                entries.append({row, std::nullopt});
            if (song < 0)
                continue;
            entries.append({row, devicePathFrom(playlist.target, plan_.songs.at(song).target,
                                                options_.carStereoM3u)});
            playlist.lastSong = qMax(playlist.lastSong, song);
        }
        Result<QByteArray> made =
            devicePlaylistBytes(read.playlist, entries, options_.carStereoM3u);
        if (made.failed()) {
            plan_.problems.append(shown(read.listPath) + QLatin1Char('\r') +
                                  made.status().message());
            continue;
        }
        playlist.bytes = std::move(made).value();
        const std::optional<QByteArray> there = RawNames::readRegularFile(playlist.target);
        playlist.place = !RawNames::exists(playlist.target) ? DevicePlace::Free
                         : there == playlist.bytes          ? DevicePlace::Same
                                                            : DevicePlace::Differs;
        plan_.playlists.append(std::move(playlist));
    }
}

Status targetProblem(const DeviceCopyOptions& options, DeviceFiles::Volume& volume) {
    const QString folder = shown(options.target);
    if (!RawNames::isFolder(options.target))
        return Status::failure(QLatin1String("Folder not found:\r") + folder);
    QString cause;
    const std::optional<DeviceFiles::Volume> found = DeviceFiles::volumeOf(options.target, &cause);
    if (!found)
        return Status::failure(QLatin1String("Cannot use the folder:\r") + folder +
                               QLatin1Char('\r') + cause);
    volume = *found;
    if (volume.readOnly)
        return Status::failure(
            QLatin1String("Cannot write to the folder, its medium is read-only:\r") + folder);
    if (!RawNames::isWritable(options.target))
        return Status::failure(QLatin1String("Cannot write to the folder:\r") + folder);
    return Status::ok();
}

} // namespace

qsizetype DeviceCopyPlan::replacements() const {
    const auto differs = [](const auto& item) { return item.place == DevicePlace::Differs; };
    return std::count_if(songs.cbegin(), songs.cend(), differs) +
           std::count_if(playlists.cbegin(), playlists.cend(), differs);
}

qint64 DeviceCopyPlan::bytesToCopy(bool replacing) const {
    qint64 bytes = 0;
    for (const DeviceSong& song : songs)
        if (song.place == DevicePlace::Free || (replacing && song.place == DevicePlace::Differs))
            bytes += song.size;
    return bytes;
}

QByteArray devicePathFrom(const QByteArray& from, const QByteArray& to, bool backslashes) {
    const QByteArrayView fromFolder = QByteArrayView(from).first(from.lastIndexOf('/') + 1);
    const QByteArrayView target(to);
    // Past the folders both share; the name of `to` is never one of them.
    qsizetype f = 0;
    qsizetype t = 0;
    while (f < fromFolder.size()) {
        const qsizetype fromEnd = fromFolder.indexOf('/', f);
        const qsizetype toEnd = target.indexOf('/', t);
        if (toEnd < 0 || fromFolder.sliced(f, fromEnd - f) != target.sliced(t, toEnd - t))
            break;
        f = fromEnd + 1;
        t = toEnd + 1;
    }
    const qsizetype ups = fromFolder.sliced(f).count('/');
    QByteArray path;
    path.reserve(ups * 3 + target.size() - t);
    for (qsizetype up = 0; up < ups; ++up)
        path += "../";
    path += target.sliced(t);
    if (backslashes)
        path.replace('/', '\\');
    return path;
}

Result<DeviceCopyPlan> planDeviceCopy(const QList<QByteArray>& playlists,
                                      const DeviceCopyOptions& options, WalkProgress& progress) {
    DeviceCopyPlan plan;
    plan.options = options;
    plan.options.target = withoutSlash(options.target);
    if (const Status problem = targetProblem(plan.options, plan.volume); problem.failed()) {
        qCWarning(lcCollection) << "copy to folder: refused" << options.target;
        return problem;
    }
    Planner planner(plan.options, plan);
    for (const QByteArray& playlist : playlists) {
        if (!progress.tick(shown(playlist)))
            return Status::failure(QString());
        planner.readPlaylist(playlist);
    }
    if (planner.targetInsideMusic())
        return Status::failure(QLatin1String("The folder lies inside the music it would copy:\r") +
                               shown(plan.options.target));
    planner.placeSongs();
    planner.writePlaylists();
    qCDebug(lcCollection) << "copy to folder: planned" << plan.songs.size() << "songs,"
                          << plan.playlists.size() << "playlists onto" << plan.options.target;
    return plan;
}

Status checkDeviceSpace(const DeviceCopyPlan& plan, bool replacing) {
    qint64 needed = plan.bytesToCopy(replacing);
    for (const DevicePlaylist& playlist : plan.playlists)
        needed += playlist.bytes.size();
    const std::optional<DeviceFiles::Volume> volume = DeviceFiles::volumeOf(plan.options.target);
    const qint64 free = volume ? volume->freeBytes : plan.volume.freeBytes;
    if (needed <= free)
        return Status::ok();
    const qint64 short_ = (needed - free + MegaByte - 1) / MegaByte;
    qCWarning(lcCollection) << "copy to folder:" << needed << "bytes needed," << free << "free on"
                            << plan.options.target;
    return Status::failure(
        QStringLiteral("%1 MB more are needed on %2.").arg(short_).arg(shown(plan.options.target)));
}
