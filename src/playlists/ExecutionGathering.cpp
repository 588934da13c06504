#include "ExecutionGathering.h"

#include "SongPresence.h"
#include "common/PathRules.h"
#include "base/TextDecoding.h"

namespace {

bool partialShuffle(const Preferences& options) {
    return options.shuffleMode == ShuffleMode::Partial;
}

// Playlists whose songs are handed on one by one; anything else (a PLS too) goes as one line.
bool isExpanded(const QByteArray& name) {
    const bool pls = name.size() >= 4 && QByteArrayView(name).last(4).compare(
                                             QByteArrayView(".PLS"), Qt::CaseInsensitive) == 0;
    return !pls && hasPlaylistExtension(name);
}

// A line end inside a name would split it into two lines of the playlist.
bool breaksLine(QByteArrayView part) {
    return part.contains('\n') || part.contains('\r');
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

ExecutionGathering::ExecutionGathering(ShuffleClock clock) : clock_(std::move(clock)) {}

Status ExecutionGathering::addListedPlaylist(const QByteArray& path, const Preferences& options) {
    lookedAt_.emplace(path, lookAt(path));
    const Status status = addEntry(path, NativePath::folderPart(path), options);
    lookedAt_.reset();
    return status;
}

PlaylistLookAhead ExecutionGathering::lookAt(const QByteArray& path) {
    const QByteArrayView name = QByteArrayView(path).sliced(path.lastIndexOf('/') + 1);
    bool listedAsRegular = false;
    if (!lookup_.currentFolderOf(path)) {
        const QByteArray folder = PathCaseLookup::folderOf(path);
        QByteArray names;
        const bool readable = reader_.list(folder, names, name, listedAsRegular);
        lookup_.takeFolderListing(folder, readable, std::move(names));
    }
    // A regular file as the listing shows it needs no status (its size is looked at as it is
    // read); a link or anything else is asked for, links followed.
    if (!listedAsRegular)
        return {RawNames::status(path), {}};
    return {RawNames::FileStatus{.isRegular = true}, reader_.openListedFile(name)};
}

Status ExecutionGathering::addEntry(const QByteArray& name, const QByteArray& base,
                                    const Preferences& options) {
    if (isBlankEntry(name) || namesNoFile(name))
        return Status::ok();
    const QByteArray full = lookup_.resolveEntry(name, base);
    if (!isExpanded(name)) {
        append({}, full);
        return Status::ok();
    }
    const bool seen = lookedAt_ && lookedAt_->first == full;
    const Result<IndexedPlaylist> playlist =
        seen ? loadIndexedPlaylist(full, lookedAt_->second) : loadIndexedPlaylist(full);
    lookedAt_.reset();
    if (playlist.failed())
        return playlist.status();
    const EntryTable& entries = playlist->entries;
    const bool shuffled = partialShuffle(options) && options.shuffleWithinPlaylists;
    const QList<qsizetype> order =
        shuffled ? shufflePermutation(entries.size(), clock_()) : QList<qsizetype>();
    // Songs beside their playlist are found in the folder's listing, without a stat each.
    lookup_.listFolderOf(full);
    // Most songs are names listed there: joined straight to the folder, looked at once.
    const std::optional<QByteArrayView> folder = lookup_.currentFolderOf(full);
    const bool folderBreaksLine = folder && breaksLine(*folder);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QByteArrayView entry = entries.at(shuffled ? order.at(i) : i);
        if (isBlankEntry(entry) || namesNoFile(entry))
            continue;
        if (folder && lookup_.holdsPlainName(entry))
            append(*folder, entry, folderBreaksLine);
        else
            append({}, songPath(entry, full));
    }
    return Status::ok();
}

QByteArray ExecutionGathering::songPath(QByteArrayView entry, const QByteArray& playlist) {
    if (PathCaseLookup::isKeptAsWritten(entry))
        return entry.toByteArray();
    return lookup_.existingPath(lookup_.resolveEntryAsWritten(entry, playlist));
}

void ExecutionGathering::append(QByteArrayView folder, QByteArrayView name) {
    append(folder, name, breaksLine(folder));
}

void ExecutionGathering::append(QByteArrayView folder, QByteArrayView name, bool folderBreaksLine) {
    // A path that would break its line goes as a file URL of its percent-encoded bytes. A
    // relative one (no gathered path is) cannot be a URL and is left out.
    if (!folderBreaksLine && !breaksLine(name)) {
        starts_.append(text_.size());
        text_.append(folder).append(name).append("\r\n");
        return;
    }
    const QByteArray path = folder.toByteArray() + name;
    if (!path.startsWith('/'))
        return;
    starts_.append(text_.size());
    text_ += "file://" + path.toPercentEncoding("/") + "\r\n";
}

QByteArrayView ExecutionGathering::lines(qsizetype first, qsizetype end) const {
    const auto startOf = [this](qsizetype path) {
        return path < starts_.size() ? starts_.at(path) : text_.size();
    };
    return QByteArrayView(text_).sliced(startOf(first), startOf(end) - startOf(first));
}

QList<QByteArrayView> ExecutionGathering::eachLine() const {
    QList<QByteArrayView> each;
    each.reserve(count());
    for (qsizetype path = 0; path < count(); ++path)
        each.append(lines(path, path + 1));
    return each;
}

QByteArray ExecutionGathering::takeText() {
    QByteArray text = std::exchange(text_, QByteArray());
    clear();
    return text;
}

void ExecutionGathering::clear() {
    text_.clear();
    starts_.clear();
    lookup_ = PathCaseLookup();
    reader_ = FolderReader();
    lookedAt_.reset();
}
