#include "DeviceCopy.h"

#include "CollectionLog.h"
#include "common/WalkProgress.h"
#include "common/PathRules.h"
#include "base/TextDecoding.h"
#include "platform/DeviceFiles.h"
#include "platform/FileOperations.h"
#include "platform/RawNames.h"

#include <QLocale>

#include <algorithm>
#include <cerrno>

#include <cstring>

namespace {

using Kind = DeviceFiles::CopyOutcome::Kind;

// The most names a summary lists of each kind; the rest are counted.
constexpr qsizetype ListedNames = 20;

bool isWanted(DevicePlace place, bool replacing) {
    return place == DevicePlace::Free || (replacing && place == DevicePlace::Differs);
}

// Songs are made durable and named in batches: the device writes a batch back while the next
// is copied, and only a flush of what is mostly written already is waited for.
constexpr qint64 BatchBytes = qint64(512) << 20;
constexpr qsizetype BatchSongs = 500;

class Copier {
public:
    Copier(const DeviceCopyPlan& plan, bool replacing, WalkProgress& progress)
        : plan_(plan), replacing_(replacing), progress_(progress),
          total_(plan.bytesToCopy(replacing)) {}

    DeviceCopyResult run();

private:
    bool deviceStillThere();
    bool makeFolderOf(const QByteArray& path);
    bool copySong(const DeviceSong& song);
    bool commitPending();
    void stopWith(const DeviceFiles::CopyOutcome& outcome, const QString& name);
    void writePlaylist(const DevicePlaylist& playlist);
    void writePlaylistsUpTo(qsizetype song);
    bool stopped() const { return result_.aborted || !result_.stoppedBy.isEmpty(); }

    const DeviceCopyPlan& plan_;
    bool replacing_;
    WalkProgress& progress_;
    qint64 total_;
    qint64 done_ = 0;
    qsizetype nextPlaylist_ = 0;
    QList<const DevicePlaylist*> playlists_;
    QList<DeviceFiles::PendingCopy> pending_;
    QList<qint64> pendingSizes_;
    qint64 pendingBytes_ = 0;
    DeviceCopyResult result_;
};

bool Copier::deviceStillThere() {
    const std::optional<RawNames::FileStatus> status = RawNames::status(plan_.options.target);
    if (status && status->isFolder && status->device == plan_.volume.device)
        return true;
    // A stick pulled (or unmounted) leaves the bare mount point, or nothing.
    qCWarning(lcCollection) << "copy to folder: the device left" << plan_.options.target;
    result_.stoppedBy = decodeText(plan_.options.target) +
                        QLatin1String(" is no longer there: was the device removed?");
    return false;
}

bool Copier::makeFolderOf(const QByteArray& path) {
    const int error = DeviceFiles::makeFolders(NativePath::folderPart(path));
    if (error == 0)
        return true;
    result_.stoppedBy = QLatin1String("Cannot make the folder ") +
                        decodeText(NativePath::folderPart(path)) + QLatin1String(": ") +
                        QString::fromLocal8Bit(std::strerror(error));
    return false;
}

void Copier::stopWith(const DeviceFiles::CopyOutcome& outcome, const QString& name) {
    if (!deviceStillThere())
        return;
    result_.stoppedBy = outcome.error == ENOSPC
                            ? QString(decodeText(plan_.options.target) + QLatin1String(" is full."))
                            : QString(name + QLatin1String(": ") + outcome.cause);
}

bool Copier::commitPending() {
    if (pending_.isEmpty())
        return true;
    qsizetype committed = 0;
    const DeviceFiles::CopyOutcome outcome = DeviceFiles::commitCopies(
        pending_, plan_.options.target, plan_.volume.userSpace, committed);
    result_.copied += committed;
    for (qsizetype i = 0; i < committed; ++i)
        result_.copiedBytes += pendingSizes_.at(i);
    const QByteArray failedAt =
        committed < pending_.size() ? pending_.at(committed).target : QByteArray();
    pending_.clear();
    pendingSizes_.clear();
    pendingBytes_ = 0;
    if (outcome.kind == Kind::Done)
        return true;
    if (result_.stoppedBy.isEmpty())
        stopWith(outcome, decodeText(failedAt));
    return false;
}

bool Copier::copySong(const DeviceSong& song) {
    if (!deviceStillThere() || !makeFolderOf(song.target))
        return false;
    const QString name = decodeText(song.source);
    const QString totalText = deviceSizeText(total_);
    DeviceFiles::PendingCopy pending;
    const DeviceFiles::CopyOutcome outcome = DeviceFiles::copyToTemporary(
        song.source, song.target,
        [&](qint64 copied) {
            return progress_.tick(name + QLatin1Char('\n') + deviceSizeText(done_ + copied) +
                                  QLatin1String(" of ") + totalText);
        },
        pending);
    switch (outcome.kind) {
    case Kind::Done:
        pending_.append(pending);
        pendingSizes_.append(song.size);
        pendingBytes_ += song.size;
        done_ += song.size;
        return pendingBytes_ < BatchBytes && pending_.size() < BatchSongs ? true : commitPending();
    case Kind::SourceFailed:
        result_.failures.append(name + QLatin1String(": ") + outcome.cause);
        done_ += song.size;
        return true;
    case Kind::Stopped:
        result_.aborted = true;
        return false;
    case Kind::TargetFailed:
        break;
    }
    stopWith(outcome, name);
    return false;
}

void Copier::writePlaylist(const DevicePlaylist& playlist) {
    if (playlist.place == DevicePlace::Same)
        return;
    if (!isWanted(playlist.place, replacing_)) {
        ++result_.kept;
        return;
    }
    if (!deviceStillThere() || !makeFolderOf(playlist.target))
        return;
    // A link at the playlist's place is replaced, never written through to somewhere else.
    FileOperations::WriteOptions options;
    options.followLinks = false;
    if (FileOperations::writeFile(playlist.target, playlist.bytes, options).failed()) {
        result_.failures.append(decodeText(playlist.target) +
                                QLatin1String(": the playlist could not be written"));
        return;
    }
    ++result_.playlistsWritten;
}

// Each playlist is written once its last song is on the device under its name, so an Abort
// leaves playlists that play whole.
void Copier::writePlaylistsUpTo(qsizetype song) {
    while (result_.stoppedBy.isEmpty() && nextPlaylist_ < playlists_.size() &&
           playlists_.at(nextPlaylist_)->lastSong <= song)
        writePlaylist(*playlists_.at(nextPlaylist_++));
}

DeviceCopyResult Copier::run() {
    for (const DevicePlaylist& playlist : plan_.playlists)
        playlists_.append(&playlist);
    std::stable_sort(
        playlists_.begin(), playlists_.end(),
        [](const DevicePlaylist* a, const DevicePlaylist* b) { return a->lastSong < b->lastSong; });
    for (const DeviceSong& song : plan_.songs)
        result_.toCopy += isWanted(song.place, replacing_) ? 1 : 0;
    writePlaylistsUpTo(-1);
    qsizetype lastPending = -1;
    for (qsizetype index = 0; index < plan_.songs.size() && !stopped(); ++index) {
        const DeviceSong& song = plan_.songs.at(index);
        if (song.place == DevicePlace::Same)
            ++result_.alreadyThere;
        else if (!isWanted(song.place, replacing_))
            ++result_.kept;
        else if (!copySong(song))
            break;
        if (!pending_.isEmpty())
            lastPending = index;
        else
            writePlaylistsUpTo(index);
    }
    // What was copied whole before an Abort or a failure takes its name too.
    if (!pending_.isEmpty() && deviceStillThere() && commitPending())
        writePlaylistsUpTo(stopped() ? lastPending : plan_.songs.size() - 1);
    DeviceFiles::discardCopies(pending_);
    // The renames reach the device too, not only the songs' bytes.
    if (result_.copied + result_.playlistsWritten > 0 && deviceStillThere())
        (void)FileOperations::flushFileSystem(plan_.options.target);
    qCDebug(lcCollection) << "copy to folder:" << result_.copied << "songs copied,"
                          << result_.alreadyThere << "already there," << result_.playlistsWritten
                          << "playlists written" << (result_.aborted ? "(aborted)" : "")
                          << result_.stoppedBy;
    return result_;
}

QString listed(const QString& heading, const QStringList& names) {
    if (names.isEmpty())
        return {};
    QString text = QLatin1Char('\r') + heading;
    for (qsizetype i = 0; i < qMin(names.size(), ListedNames); ++i)
        text += QLatin1Char('\r') + names.at(i);
    if (names.size() > ListedNames)
        text += QStringLiteral("\r... and %1 more").arg(names.size() - ListedNames);
    return text;
}

} // namespace

DeviceCopyResult runDeviceCopy(const DeviceCopyPlan& plan, bool replacing, WalkProgress& progress) {
    return Copier(plan, replacing, progress).run();
}

QString deviceSizeText(qint64 bytes) {
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

QString deviceCopySummary(const DeviceCopyPlan& plan, const DeviceCopyResult& result) {
    QString text;
    if (result.aborted)
        text =
            QStringLiteral("Aborted after %1 of %2 songs.\r").arg(result.copied).arg(result.toCopy);
    else if (!result.stoppedBy.isEmpty())
        text = QStringLiteral("The copy stopped after %1 of %2 songs: %3\r")
                   .arg(result.copied)
                   .arg(result.toCopy)
                   .arg(result.stoppedBy);
    text += QStringLiteral("%1 songs copied (%2), %3 already there, %4 missing. %5 playlists "
                           "written.")
                .arg(result.copied)
                .arg(deviceSizeText(result.copiedBytes))
                .arg(result.alreadyThere)
                .arg(plan.missing.size())
                .arg(result.playlistsWritten);
    if (result.kept > 0)
        text += QStringLiteral("\r%1 files of another size or time were kept as they were.")
                    .arg(result.kept);
    text += listed(QStringLiteral("Missing:"), plan.missing);
    text += listed(QStringLiteral("Left out:"), plan.leftOut + result.failures);
    text += listed(QStringLiteral("Playlists not copied:"), plan.problems);
    return text;
}
