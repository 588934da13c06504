#pragma once

// XML playlists: any bytes read without harm and with songs in file order inside the text; a
// whole playlist comes back byte for byte from an edit that changes nothing, and a removal,
// a reversal and a rewrite of every location read back as the entries they should.
#include "FuzzCheck.h"
#include "playlists/MarkupPlaylistReader.h"
#include "playlists/PlaylistEdit.h"

#include <algorithm>

namespace MarkupFuzz {

inline void checkSongs(const IndexedPlaylist& read) {
    FUZZ_CHECK(read.markupSongs.size() == read.entries.size());
    quint32 previousEnd = 0;
    for (const MarkupSong& song : read.markupSongs) {
        FUZZ_CHECK(previousEnd <= song.elementStart && song.elementStart <= song.valueStart);
        FUZZ_CHECK(song.valueStart <= song.valueEnd && song.valueEnd <= song.elementEnd);
        FUZZ_CHECK(song.elementEnd <= quint32(read.markup.size()));
        FUZZ_CHECK(read.markup.at(song.elementStart) == '<');
        previousEnd = song.elementEnd;
    }
}

inline SongEdits unchanged(const IndexedPlaylist& read) {
    SongEdits songs;
    for (qsizetype row = 0; row < read.entries.size(); ++row)
        songs.append({row, std::nullopt});
    return songs;
}

// Edits the playlist and reads the result with the same rule; none when the edit is refused.
inline std::optional<EntryList> editedEntries(const IndexedPlaylist& read, const SongEdits& songs,
                                              const MarkupRule& rule) {
    const Result<QByteArray> text = editedPlaylistText(read, songs);
    if (text.failed())
        return std::nullopt;
    return readMarkupPlaylist(text.value(), rule).entries.toList();
}

// Read a few bytes at a time, as the song list reads a file, the same songs come out at the
// same bytes; a NUL ends the text there.
inline void checkWindowed(const QByteArray& bytes, const IndexedPlaylist& read,
                          const MarkupRule& rule) {
    const qsizetype nul = bytes.indexOf('\0');
    const IndexedPlaylist cut = nul < 0 ? read : readMarkupPlaylist(bytes.first(nul), rule);
    const IndexedPlaylist windowed = readMarkupPlaylist(bytes, rule, true, 7);
    FUZZ_CHECK(windowed.entries.toList() == cut.entries.toList());
    FUZZ_CHECK(windowed.whole == (cut.whole && nul < 0));
    FUZZ_CHECK(windowed.markupIsUtf8 == cut.markupIsUtf8);
    FUZZ_CHECK(windowed.markupSongs.size() == cut.markupSongs.size());
    for (qsizetype i = 0; i < cut.markupSongs.size(); ++i) {
        const MarkupSong& a = windowed.markupSongs.at(i);
        const MarkupSong& b = cut.markupSongs.at(i);
        FUZZ_CHECK(a.elementStart == b.elementStart && a.elementEnd == b.elementEnd &&
                   a.valueStart == b.valueStart && a.valueEnd == b.valueEnd &&
                   a.parent == b.parent);
    }
}

inline void check(const uint8_t* data, size_t size, const MarkupRule& rule) {
    const QByteArray bytes = fuzzBytes(data, size);
    const IndexedPlaylist read = readMarkupPlaylist(bytes, rule);
    checkSongs(read);
    checkWindowed(bytes, read, rule);
    if (!read.whole)
        return;
    const EntryList entries = read.entries.toList();
    const Result<QByteArray> same = editedPlaylistText(read, unchanged(read));
    FUZZ_CHECK(same.isOk() && same.value() == read.markup);
    if (entries.isEmpty())
        return;

    // A Windows-1252 text may be refused an edit after which it would read as UTF-8.
    SongEdits songs = unchanged(read);
    songs.removeFirst();
    const std::optional<EntryList> removed = editedEntries(read, songs, rule);
    FUZZ_CHECK(removed ? *removed == entries.mid(1) : !read.markupIsUtf8);

    songs = unchanged(read);
    std::reverse(songs.begin(), songs.end());
    EntryList reversed = entries;
    std::reverse(reversed.begin(), reversed.end());
    const std::optional<EntryList> sorted = editedEntries(read, songs, rule);
    FUZZ_CHECK(!sorted || *sorted == reversed);

    songs = unchanged(read);
    for (SongEdit& song : songs)
        song.entry = entries.at(song.row);
    const std::optional<EntryList> rewritten = editedEntries(read, songs, rule);
    FUZZ_CHECK(!rewritten || *rewritten == entries);
}

} // namespace MarkupFuzz
