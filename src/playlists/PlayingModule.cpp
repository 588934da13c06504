#include "PlayingModule.h"
#include "FolderPrefetch.h"

#include "collection/WalkProgress.h"
#include "common/PathText.h"

#include "PlaylistFile.h"
#include "common/PathRules.h"
#include "common/TextDecoding.h"
#include "common/UserDialogs.h"
#include "platform/FileOperations.h"
#include "platform/RawNames.h"
#include "platform/RuntimeFolder.h"

#include <QFile>

#include <algorithm>
#include <cstring>

namespace {
bool partialShuffle(const Preferences& options) {
    return options.shuffleMode == ShuffleMode::Partial;
}

// From two playlists on, they and their folders are looked at on a second thread ahead of the
// reading (a thread costs some microseconds, an execution of one playlist gains nothing).
constexpr qsizetype PrefetchFrom = 2;

// Playlists whose songs are handed on one by one; anything else (a PLS too) goes as one line.
bool isExpanded(const QByteArray& name) {
    const bool pls = name.size() >= 4 && QByteArrayView(name).last(4).compare(
                                             QByteArrayView(".PLS"), Qt::CaseInsensitive) == 0;
    return !pls && hasPlaylistExtension(name);
}

// A blank line of a playlist names no file; handing it over would give the player a folder.
// An ASCII byte reads as itself in every decoding, so only lines of blanks and other bytes
// need decoding.
bool isBlankEntry(QByteArrayView entry) {
    for (const char c : entry) {
        if (uchar(c) >= 0x80)
            return decodeEntry(entry).trimmed().isEmpty();
        if (c != ' ' && (c < '\t' || c > '\r'))
            return false;
    }
    return true;
}

} // namespace

PlayingModule::PlayingModule(UserDialogs& dialogs, Launcher launcher, QString temporaryPlaylistPath,
                             ShuffleClock clock)
    : dialogs_(dialogs), launcher_(std::move(launcher)),
      temporaryPlaylistPath_(std::move(temporaryPlaylistPath)), clock_(std::move(clock)) {}

PlayingModule::~PlayingModule() {
    FileOperations::deleteFile(temporaryPlaylistPath_);
}

void PlayingModule::executePlaylists(const QStringList& paths, const Preferences& options) {
    QList<QByteArray> bytes;
    for (const QString& path : paths)
        bytes.append(pathBytes(path));
    executePlaylists(bytes, options);
}

void PlayingModule::executePlaylists(const QList<QByteArray>& paths, const Preferences& options,
                                     WalkProgress* progress) {
    // Shuffled playlists are still read in list order, where neighbours share folders the
    // system has just looked at, and put in their shuffled order afterwards. The one that
    // stops the execution is the first unreadable one in that order, as if read in it.
    const bool shuffled = partialShuffle(options) && options.shufflePlaylists;
    const QList<qsizetype> order =
        shuffled ? shufflePermutation(paths.size(), clock_()) : QList<qsizetype>();
    QList<qsizetype> place(order.size());
    for (qsizetype at = 0; at < order.size(); ++at)
        place[order.at(at)] = at;
    // Where the songs of each listed playlist begin among the gathered paths.
    QList<qsizetype> firstSongs(paths.size() + 1, 0);
    qsizetype failedAt = paths.size();
    Status failure = Status::ok();
    std::optional<FolderPrefetch> prefetch;
    if (paths.size() >= PrefetchFrom)
        prefetch.emplace(paths);
    for (qsizetype listed = 0; listed < paths.size(); ++listed) {
        firstSongs[listed] = executionStarts_.size();
        if (prefetch) {
            FolderPrefetch::Listing seen = prefetch->next();
            lookup_.takeFolderListing(seen.folder, seen.readable, std::move(seen.names));
            prefetched_ = {std::move(seen.playlist), seen.status};
        }
        const qsizetype at = shuffled ? place.at(listed) : listed;
        if (at > failedAt)
            continue;
        const QByteArray& path = paths.at(listed);
        if (progress && !progress->tick(decodeText(path))) {
            endExecution();
            return;
        }
        // The playlist is found in its folder's listing, which its songs need anyway.
        lookup_.listFolderOf(path);
        if (Status status = addToExecutionList(path, NativePath::folderPart(path), options);
            status.failed()) {
            failedAt = at;
            failure = status;
            if (!shuffled)
                break;
        }
    }
    if (progress)
        progress->setStayOnTop(false); // a message comes in front
    if (failure.failed()) {
        abandon(failure);
        return;
    }
    firstSongs[paths.size()] = executionStarts_.size();
    if (shuffled)
        regroupExecution(order, firstSongs);
    playExecutionList(options);
}

void PlayingModule::regroupExecution(const QList<qsizetype>& order,
                                     const QList<qsizetype>& firstSongs) {
    QList<qsizetype> bounds; // where each listed playlist's paths begin, and the end
    bounds.reserve(firstSongs.size());
    for (const qsizetype song : firstSongs)
        bounds.append(song < executionStarts_.size() ? executionStarts_.at(song)
                                                     : executionText_.size());
    executionText_ = piecesInOrder(executionText_, bounds, order);
}

QByteArray PlayingModule::piecesInOrder(const QByteArray& text, const QList<qsizetype>& bounds,
                                        const QList<qsizetype>& order) {
    QByteArray ordered(text.size(), Qt::Uninitialized);
    char* to = ordered.data();
    // The pieces lie anywhere in megabytes of text: the next few are asked for ahead, so
    // their reading from memory overlaps the copying.
    constexpr qsizetype Ahead = 8;
    for (qsizetype i = 0; i < order.size(); ++i) {
        if (i + Ahead < order.size())
            __builtin_prefetch(text.constData() + bounds.at(order.at(i + Ahead)));
        const qsizetype piece = order.at(i);
        const qsizetype size = bounds.at(piece + 1) - bounds.at(piece);
        std::memcpy(to, text.constData() + bounds.at(piece), size_t(size));
        to += size;
    }
    return ordered;
}

void PlayingModule::executeSongs(const EntryList& songs, const QByteArray& base,
                                 const Preferences& options) {
    for (const QByteArray& song : songs) {
        if (Status status = addToExecutionList(song, base, options); status.failed()) {
            abandon(status);
            return;
        }
    }
    playExecutionList(options);
}

void PlayingModule::executeSongs(const QStringList& songs, const QString& base,
                                 const Preferences& options) {
    EntryList entries;
    for (const QString& song : songs)
        entries.append(encodeEntry(song));
    executeSongs(entries, pathBytes(base), options);
}

Status PlayingModule::addToExecutionList(const QString& name, const QString& base,
                                         const Preferences& options) {
    return addToExecutionList(pathBytes(name), pathBytes(base), options);
}

Status PlayingModule::addToExecutionList(const QByteArray& name, const QByteArray& base,
                                         const Preferences& options) {
    if (isBlankEntry(name))
        return Status::ok();
    const QByteArray full = lookup_.resolveEntry(name, base);
    if (!isExpanded(name)) {
        appendToExecution({}, full);
        return Status::ok();
    }
    IndexedPlaylist playlist;
    const bool seen = prefetched_ && prefetched_->first == full;
    const Status loaded = seen ? loadIndexedPlaylist(full, prefetched_->second, playlist)
                               : loadIndexedPlaylist(full, playlist);
    prefetched_.reset();
    if (loaded.failed())
        return loaded;
    const EntryTable& entries = playlist.entries;
    const bool shuffled = partialShuffle(options) && options.shuffleWithinPlaylists;
    const QList<qsizetype> order =
        shuffled ? shufflePermutation(entries.size(), clock_()) : QList<qsizetype>();
    // Songs beside their playlist are found in the folder's listing, without a stat each.
    lookup_.listFolderOf(full);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QByteArrayView entry = entries.at(shuffled ? order.at(i) : i);
        if (isBlankEntry(entry))
            continue;
        // Most songs are names listed beside their playlist: joined straight into the text.
        if (const auto folder = lookup_.listedFolderOfName(entry, full))
            appendToExecution(*folder, entry);
        else
            appendToExecution({}, songPath(entry, full));
    }
    return Status::ok();
}

QByteArray PlayingModule::songPath(QByteArrayView entry, const QByteArray& playlist) {
    if (PathCaseLookup::isKeptAsWritten(entry))
        return entry.toByteArray();
    return lookup_.existingPath(lookup_.resolveEntryAsWritten(entry, playlist));
}

void PlayingModule::appendToExecution(QByteArrayView folder, QByteArrayView name) {
    // A line end inside a name would split it into two lines of the playlist: such a path goes
    // as a file URL of its percent-encoded bytes. A relative one (no gathered path is) cannot
    // be a URL and is left out.
    const auto breaksLine = [](QByteArrayView part) {
        return part.contains('\n') || part.contains('\r');
    };
    if (!breaksLine(folder) && !breaksLine(name)) {
        executionStarts_.append(executionText_.size());
        executionText_.append(folder).append(name).append("\r\n");
        return;
    }
    const QByteArray path = folder.toByteArray() + name;
    if (!path.startsWith('/'))
        return;
    executionStarts_.append(executionText_.size());
    executionText_ += "file://" + path.toPercentEncoding("/") + "\r\n";
}

QByteArray PlayingModule::executionText(const Preferences& options) {
    if (options.shuffleMode != ShuffleMode::Total)
        return std::exchange(executionText_, QByteArray());
    const QList<qsizetype> order = shufflePermutation(executionStarts_.size(), clock_());
    executionStarts_.append(executionText_.size()); // where the last path ends
    return piecesInOrder(executionText_, executionStarts_, order);
}

QString PlayingModule::chosenVerb(const Preferences& options) {
    if (options.verb == PlayVerb::Custom)
        return options.customVerb;
    const int index = int(options.verb);
    // An index the options dialog never produces falls back to "open".
    return (index >= 0 && index < int(PlayVerbs.size())) ? PlayVerbs.at(size_t(index))
                                                         : PlayVerbs.at(0);
}

void PlayingModule::playExecutionList(const Preferences& options) {
    if (executionStarts_.isEmpty()) {
        endExecution();
        return;
    }
    const QString verb = chosenVerb(options);
    const QByteArray text = executionText(options);
    endExecution();
    const RuntimeFolder::HeldFile last(temporaryPlaylistPath_);
    if (RuntimeFolder::writeFileNoFollow(temporaryPlaylistPath_, text).failed()) {
        dialogs_.showMessage(QLatin1String("Unable to save temporary playlist file!\r") +
                             temporaryPlaylistPath_);
        return;
    }
    reportLaunchResult(launcher_(verb, temporaryPlaylistPath_), verb);
}

void PlayingModule::reportLaunchResult(ShellResult result, const QString& verb) {
    // As on Windows, every result above 32 is a success.
    if (int(result) > 32)
        return;
    if (result == ShellResult::AssociationIncomplete || result == ShellResult::NoAssociation) {
        dialogs_.showMessage(
            QLatin1String("M3U files are incorrectly associated! Please install a\r"
                          "proper MP3 player and associate M3U files with it.\r"
                          "Current command is: ") +
            verb);
        return;
    }
    dialogs_.showMessage(QLatin1String("Error trying to \"") + verb +
                         QLatin1String("\" the file!"));
}

void PlayingModule::endExecution() {
    executionText_.clear();
    executionStarts_.clear();
    lookup_ = PathCaseLookup();
    prefetched_.reset();
}

void PlayingModule::abandon(const Status& status) {
    endExecution();
    dialogs_.showMessage(status.message());
}
