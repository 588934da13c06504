#include "DevicePlaylistText.h"

#include "playlists/MarkupEdit.h"
#include "playlists/PlaylistEdit.h"
#include "playlists/PlaylistRepair.h"

namespace {

qsizetype lineEndLength(QByteArrayView text, qsizetype at) {
    if (text.sliced(at).startsWith("\r\n"))
        return 2;
    return at < text.size() && (text[at] == '\r' || text[at] == '\n') ? 1 : 0;
}

// What comes before a dropped entry, less the #EXTINF line that described it.
QByteArrayView withoutEntryInfo(QByteArrayView before) {
    qsizetype end = before.size();
    if (before.endsWith("\r\n"))
        end -= 2;
    else if (before.endsWith('\r') || before.endsWith('\n'))
        end -= 1;
    const QByteArrayView lines = before.first(end);
    const qsizetype start = qMax(lines.lastIndexOf('\n'), lines.lastIndexOf('\r')) + 1;
    return lines.sliced(start).startsWith("#EXTINF") ? before.first(start) : before;
}

// An M3U with some entries dropped and the others replaced; every other line as it was.
QByteArray m3uText(const IndexedPlaylist& playlist, const QList<DeviceEntry>& entries) {
    const EntryTable& table = playlist.entries;
    const QByteArrayView read(table.buffer());
    QByteArray text;
    text.reserve(read.size());
    qsizetype copied = 0;
    qsizetype next = 0;
    for (qsizetype row = 0; row < table.size(); ++row) {
        const qsizetype offset = table.offsetOf(row);
        const qsizetype end = offset + table.at(row).size();
        const QByteArrayView before = read.sliced(copied, offset - copied);
        if (next < entries.size() && entries.at(next).row == row) {
            const DeviceEntry& kept = entries.at(next++);
            text += before;
            text += kept.entry ? QByteArrayView(*kept.entry) : table.at(row);
            copied = end;
        } else {
            text += withoutEntryInfo(before);
            copied = end + lineEndLength(read, end);
        }
    }
    text += read.sliced(copied);
    return text;
}

SongEdits songEditsOf(const QList<DeviceEntry>& entries) {
    SongEdits songs;
    songs.reserve(entries.size());
    for (const DeviceEntry& entry : entries)
        songs.append({entry.row, entry.entry});
    return songs;
}

Result<QByteArray> textOf(const IndexedPlaylist& playlist, const QList<DeviceEntry>& entries) {
    if (playlist.isMarkup())
        return markupEditedText(playlist, songEditsOf(entries));
    if (entries.size() == playlist.entries.size()) {
        QList<EntryReplacement> replacements;
        for (const DeviceEntry& entry : entries)
            if (entry.entry)
                replacements.append({entry.row, *entry.entry});
        return textWithReplacedEntries(playlist, replacements);
    }
    // A PLS numbers its keys: with entries dropped it is written anew from the entries.
    if (playlist.format == PlaylistFormat::Pls)
        return editedPlaylistText(playlist, songEditsOf(entries));
    return m3uText(playlist, entries);
}

} // namespace

Result<QByteArray> devicePlaylistBytes(const IndexedPlaylist& playlist,
                                       const QList<DeviceEntry>& entries, bool carStereoM3u) {
    if (carStereoM3u) {
        EntryList list;
        for (const DeviceEntry& entry : entries)
            list.append(entry.entry ? *entry.entry : playlist.entries.at(entry.row).toByteArray());
        return playlistText(list);
    }
    const Result<QByteArray> text = textOf(playlist, entries);
    if (text.failed())
        return text.status();
    return playlistFileBytes(text.value(), playlist.encoding);
}
