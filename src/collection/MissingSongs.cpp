#include "MissingSongs.h"

#include "FolderListing.h"
#include "WalkProgress.h"
#include "common/PathCaseLookup.h"
#include "common/PathRules.h"
#include "common/TextDecoding.h"
#include "platform/RawNames.h"
#include "playlists/PlaylistRepair.h"
#include "playlists/SongPresence.h"

#include <algorithm>

namespace {

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

// The folded names of a path's components, split at "/" and "\", the file name last.
QList<QByteArray> foldedComponents(QByteArrayView path) {
    QList<QByteArray> components;
    qsizetype start = 0;
    for (qsizetype at = 0; at <= path.size(); ++at) {
        if (at < path.size() && !isSeparator(path.at(at)))
            continue;
        if (at > start)
            components.append(MovedSongIndex::foldedName(path.sliced(start, at - start)));
        start = at + 1;
    }
    return components;
}

// How many folders, from the file's own upwards, two paths name alike.
int sharedTrailingFolders(const QList<QByteArray>& a, const QList<QByteArray>& b) {
    int shared = 0;
    for (qsizetype i = a.size() - 2, j = b.size() - 2; i >= 0 && j >= 0; --i, --j, ++shared)
        if (a.at(i) != b.at(j))
            break;
    return shared;
}

QByteArrayView fileNameOf(QByteArrayView path) {
    qsizetype at = path.size();
    while (at > 0 && !isSeparator(path.at(at - 1)))
        --at;
    return path.sliced(at);
}

void rank(SongRelocation& song, QList<QByteArray> files) {
    const QList<QByteArray> old = foldedComponents(song.oldPath);
    QList<std::pair<int, QByteArray>> scored;
    for (QByteArray& file : files)
        scored.append({sharedTrailingFolders(old, foldedComponents(file)), std::move(file)});
    std::sort(scored.begin(), scored.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    song.candidates.clear();
    for (const auto& [score, file] : scored)
        song.candidates.append(file);
    const bool tie = scored.size() > 1 && scored.at(0).first == scored.at(1).first;
    song.chosen = scored.isEmpty() || tie ? -1 : 0;
    song.checked = song.chosen >= 0;
}

} // namespace

Status collectMissingSongs(const QByteArray& listPath, PathCaseLookup& lookup,
                           PlaylistRelocation& result) {
    const QByteArray file = lookup.existingPath(listPath);
    result = {listPath, FileIdentity::of(file), {}, false, {}};
    if (Status loaded = loadIndexedPlaylist(file, result.playlist); loaded.failed())
        return loaded;
    const EntryTable& entries = result.playlist.entries;
    for (qsizetype row = 0; row < entries.size(); ++row) {
        if (!isMissingSong(lookup, entries.at(row), file))
            continue;
        const QByteArray entry = entries.at(row).toByteArray();
        result.songs.append({row, entry, lookup.resolveEntry(entry, file), {}, -1, false});
    }
    result.backslashes = usesBackslashes(entries);
    if (!result.songs.isEmpty() && !result.playlist.whole)
        return Status::failure(decodeText(listPath) +
                               QLatin1String("\rUnable to update file, it is not plain text!"));
    return Status::ok();
}

QByteArray newEntryOf(const PlaylistRelocation& playlist, const SongRelocation& song,
                      int candidate) {
    return relocatedEntry(song.entry, song.candidates.at(candidate), playlist.file.path,
                          playlist.backslashes);
}

Status repairPlaylist(const PlaylistRelocation& playlist) {
    QList<EntryReplacement> replacements;
    for (const SongRelocation& song : playlist.songs)
        if (song.checked && song.chosen >= 0)
            replacements.append({song.row, newEntryOf(playlist, song, song.chosen)});
    if (replacements.isEmpty())
        return Status::ok();
    if (FileIdentity::of(playlist.file.path) != playlist.file)
        return Status::failure(decodeText(playlist.listPath) +
                               QLatin1String("\rThe file was changed by another program since it "
                                             "was read; nothing was written."));
    const Status written = writePlaylistText(
        playlist.file.path, textWithReplacedEntries(playlist.playlist, replacements),
        playlist.playlist.encoding);
    if (written.failed())
        return Status::failure(decodeText(playlist.listPath) +
                               QLatin1String("\rUnable to update file!"));
    return Status::ok();
}

QByteArray MovedSongIndex::foldedName(QByteArrayView name) {
    const bool ascii =
        std::all_of(name.begin(), name.end(), [](char c) { return uchar(c) < 0x80; });
    return ascii ? name.toByteArray().toLower() : decodeEntry(name).toCaseFolded().toUtf8();
}

MovedSongIndex::MovedSongIndex(const QList<PlaylistRelocation>& playlists) {
    for (const PlaylistRelocation& playlist : playlists)
        for (const SongRelocation& song : playlist.songs)
            files_.insert(foldedName(fileNameOf(song.oldPath)), {});
}

void MovedSongIndex::addFolder(FolderListing& listing) {
    for (const NativeFolder::Entry& entry : listing.entries()) {
        const auto wanted = files_.find(foldedName(entry.name));
        if (wanted == files_.end())
            continue;
        const QByteArray path = listing.nativePath() + entry.name;
        if (!entry.maybeFolder || !RawNames::isFolder(path))
            wanted->append(path);
    }
}

void MovedSongIndex::propose(QList<PlaylistRelocation>& playlists) const {
    for (PlaylistRelocation& playlist : playlists)
        for (SongRelocation& song : playlist.songs)
            rank(song, files_.value(foldedName(fileNameOf(song.oldPath))));
}

bool findMovedSongs(QList<PlaylistRelocation>& playlists, const QByteArray& folder,
                    const WaitWindowRunner& runner) {
    MovedSongIndex index(playlists);
    const WalkResult walked =
        runner(QStringLiteral("Finding Missing Songs"),
               QStringLiteral("Currently seeking songs in folder:"), [&](WalkProgress& progress) {
                   return walkFolders(folder, [&](const QString& shown, FolderListing& listing) {
                       if (!progress.tick(shown))
                           return StepResult::stop();
                       index.addFolder(listing);
                       return StepResult::goOn();
                   });
               });
    if (walked.completed)
        index.propose(playlists);
    return walked.completed;
}
