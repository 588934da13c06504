#include "PlaylistRepair.h"

#include "FileUri.h"
#include "MarkupEdit.h"
#include "common/PathRules.h"
#include "settings/IniDocument.h"

namespace {

bool quotedAt(const QByteArray& text, qsizetype offset, qsizetype length) {
    return offset > 0 && offset + length < text.size() && text.at(offset - 1) == '"' &&
           text.at(offset + length) == '"';
}

bool startsWithDrive(QByteArrayView entry) {
    return isWindowsAbsoluteEntry(QString::fromLatin1(entry.first(qMin(entry.size(), 3))));
}

// The path from the playlist's folder, climbing to the root when only the root is shared.
QByteArray relativePath(const QByteArray& path, const QByteArray& playlistFile) {
    const QByteArray relative = NativePath::makeRelative(path, NativePath::clean(playlistFile));
    if (!relative.startsWith('/'))
        return relative;
    const QByteArray folder = NativePath::folderPart(NativePath::clean(playlistFile));
    QByteArray up;
    for (qsizetype depth = folder.count('/') - 1; depth > 0; --depth)
        up += "../";
    return up + relative.sliced(1);
}

} // namespace

namespace {
Result<QByteArray> markupWithReplacedEntries(const IndexedPlaylist& playlist,
                                             const QList<EntryReplacement>& replacements) {
    SongEdits songs;
    songs.reserve(playlist.entries.size());
    for (qsizetype row = 0; row < playlist.entries.size(); ++row)
        songs.append({row, std::nullopt});
    for (const EntryReplacement& replacement : replacements)
        songs[replacement.row].entry = replacement.entry;
    return markupEditedText(playlist, songs);
}
} // namespace

Result<QByteArray> textWithReplacedEntries(const IndexedPlaylist& playlist,
                                           const QList<EntryReplacement>& replacements) {
    if (playlist.isMarkup())
        return markupWithReplacedEntries(playlist, replacements);
    const EntryTable& entries = playlist.entries;
    const QByteArray& read = entries.buffer();
    QByteArray result;
    result.reserve(read.size());
    qsizetype copied = 0;
    for (const EntryReplacement& replacement : replacements) {
        const qsizetype offset = entries.offsetOf(replacement.row);
        const qsizetype length = entries.at(replacement.row).size();
        result.append(QByteArrayView(read).sliced(copied, offset - copied));
        const bool pls = playlist.format == PlaylistFormat::Pls;
        result.append(pls && !quotedAt(read, offset, length)
                          ? IniDocument::storedValue(replacement.entry)
                          : replacement.entry);
        copied = offset + length;
    }
    result.append(QByteArrayView(read).sliced(copied));
    return result;
}

bool usesBackslashes(const EntryTable& entries) {
    qsizetype backslashes = 0;
    qsizetype slashes = 0;
    for (qsizetype row = 0; row < entries.size(); ++row) {
        const QByteArrayView entry = entries.at(row);
        if (isUrlEntry(QString::fromLatin1(entry.first(qMin(entry.size(), 16)))))
            continue;
        backslashes += entry.contains('\\') ? 1 : 0;
        slashes += entry.contains('/') ? 1 : 0;
    }
    return backslashes > slashes;
}

QByteArray relocatedEntry(QByteArrayView oldEntry, const QByteArray& newPath,
                          const QByteArray& playlistFile, bool playlistUsesBackslashes) {
    if (FileUri::localPathOf(oldEntry))
        return FileUri::uriOf(newPath);
    const bool windowsDrive = startsWithDrive(oldEntry);
    const bool absolute = windowsDrive || oldEntry.startsWith('/') || oldEntry.startsWith('\\');
    QByteArray entry = absolute ? newPath : relativePath(newPath, playlistFile);
    const bool backslashes = oldEntry.contains('\\')  ? true
                             : oldEntry.contains('/') ? false
                                                      : playlistUsesBackslashes;
    // A drive letter means nothing here; a name holding "\" would be split by it.
    if (backslashes && !windowsDrive && !newPath.contains('\\'))
        entry.replace('/', '\\');
    return entry;
}
