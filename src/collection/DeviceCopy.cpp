#include "DeviceCopy.h"

#include "CollectionLog.h"
#include "WalkProgress.h"
#include "common/PathRules.h"
#include "common/TextDecoding.h"
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

bool Copier::copySong(const DeviceSong& song) {
    if (!deviceStillThere() || !makeFolderOf(song.target))
        return false;
    const QString name = decodeText(song.source);
    const QString totalText = deviceSizeText(total_);
    const DeviceFiles::CopyOutcome outcome =
        DeviceFiles::copyFile(song.source, song.target, [&](qint64 copied) {
            return progress_.tick(name + QLatin1Char('\n') + deviceSizeText(done_ + copied) +
                                  QLatin1String(" of ") + totalText);
        });
    switch (outcome.kind) {
    case Kind::Done:
        ++result_.copied;
        result_.copiedBytes += song.size;
        done_ += song.size;
        return true;
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
    if (!deviceStillThere())
        return false;
    result_.stoppedBy = outcome.error == ENOSPC
                            ? QString(decodeText(plan_.options.target) + QLatin1String(" is full."))
                            : QString(name + QLatin1String(": ") + outcome.cause);
    return false;
}

void Copier::writePlaylist(const DevicePlaylist& playlist) {
    if (playlist.place == DevicePlace::Same)
        return;
    if (!isWanted(playlist.place, replacing_)) {
        ++result_.kept;
        return;
    }
    if (!progress_.tick(decodeText(playlist.target))) {
        result_.aborted = true;
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

// Each playlist is written once its last song is on the device, so an Abort leaves playlists
// that play whole.
void Copier::writePlaylistsUpTo(qsizetype song) {
    while (!stopped() && nextPlaylist_ < playlists_.size() &&
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
    for (qsizetype index = 0; index < plan_.songs.size() && !stopped(); ++index) {
        const DeviceSong& song = plan_.songs.at(index);
        if (song.place == DevicePlace::Same)
            ++result_.alreadyThere;
        else if (!isWanted(song.place, replacing_))
            ++result_.kept;
        else if (!copySong(song))
            break;
        writePlaylistsUpTo(index);
    }
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
