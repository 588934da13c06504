#include "MissingSongs.h"

#include "CollectionLog.h"
#include "FolderListing.h"
#include "MovedSongIndex.h"
#include "common/WalkProgress.h"
#include "common/PathCaseLookup.h"
#include "base/TextDecoding.h"
#include "playlists/PlaylistRepair.h"
#include "playlists/SongPresence.h"

Result<PlaylistRelocation> collectMissingSongs(const QByteArray& listPath, PathCaseLookup& lookup) {
    const QByteArray file = lookup.existingPath(listPath);
    PlaylistRelocation result{listPath, FileIdentity::of(file), {}, false, {}};
    Result<IndexedPlaylist> loaded = loadIndexedPlaylist(file);
    if (loaded.failed())
        return loaded.status();
    result.playlist = std::move(loaded).value();
    const EntryTable& entries = result.playlist.entries;
    for (qsizetype row = 0; row < entries.size(); ++row)
        if (const auto oldPath = missingSongPath(lookup, entries.at(row), file))
            result.songs.append(SongRelocation::of(row, entries.at(row).toByteArray(), *oldPath));
    result.backslashes = usesBackslashes(entries);
    if (!result.songs.isEmpty() && !result.playlist.whole) {
        qCWarning(lcCollection).nospace() << "not repairing " << file << ": not plain text";
        return Status::failure(decodeText(listPath) +
                               QLatin1String("\rUnable to update file, it is not plain text!"));
    }
    return result;
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
    if (FileIdentity::of(playlist.file.path) != playlist.file) {
        qCWarning(lcCollection).nospace() << "not repairing " << playlist.file.path
                                          << ": changed by another program since it was read";
        return Status::failure(decodeText(playlist.listPath) +
                               QLatin1String("\rThe file was changed by another program since it "
                                             "was read; nothing was written."));
    }
    const Result<QByteArray> text = textWithReplacedEntries(playlist.playlist, replacements);
    if (text.failed()) {
        qCWarning(lcCollection).nospace()
            << "not repairing " << playlist.file.path << ": " << text.status().message();
        return Status::failure(decodeText(playlist.listPath) + QLatin1Char('\r') +
                               text.status().message());
    }
    // A failed write is logged where it failed, with its step and cause.
    const Status written =
        writePlaylistText(playlist.file.path, text.value(), playlist.playlist.encoding);
    if (written.failed())
        return Status::failure(decodeText(playlist.listPath) +
                               QLatin1String("\rUnable to update file!"));
    return Status::ok();
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
