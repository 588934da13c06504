// Playlists: any bytes parse without harm; entries written as M3U or PLS read back the same,
// bytes included; a file written back as it was read (in its own encoding) reads the same.
#include "FuzzCheck.h"
#include "playlists/MarkupFormats.h"
#include "playlists/PlaylistFile.h"

#include <algorithm>

namespace {

bool fitsOneLine(const QByteArray& entry) {
    return !entry.contains('\r') && !entry.contains('\n') && !entry.contains('\0');
}

bool holdsControlBytes(const QByteArray& line) {
    return std::any_of(line.begin(), line.end(),
                       [](char c) { return (uchar(c) < 0x20 && c != '\t') || c == '\x7F'; });
}

// A plain M3U has no header: a first line that reads as another form's header (or as a
// byte-order mark, or as the start of a binary file) cannot be told from one. Nor can lines
// that make an XML playlist: the program writes those as M3U only when an M3U's own lines
// (read as M3U because they did not begin as XML) are sorted into that order.
bool plainM3uCanHold(const EntryList& entries) {
    if (entries.isEmpty())
        return false;
    const QByteArray first = entries.first().toUpper();
    return !first.startsWith("\xEF\xBB\xBF") && !first.contains("#EXTM3U") &&
           !first.contains("[PLAYLIST]") && !holdsControlBytes(first) &&
           !markupRuleOf(playlistText(entries));
}

// PLS values are INI values: empty ones name no song.
EntryList plsEntriesOf(const EntryList& entries) {
    EntryList kept;
    for (const QByteArray& entry : entries)
        if (!entry.isEmpty())
            kept.append(entry);
    return kept;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = fuzzBytes(data, size);
    const IndexedPlaylist read = indexPlaylist(bytes);
    if (read.whole) {
        // An XML playlist's text is its markup; the entries are what its songs stand for.
        const QByteArray& text = read.isMarkup() ? read.markup : read.entries.buffer();
        const IndexedPlaylist again = indexPlaylist(playlistFileBytes(text, read.encoding));
        FUZZ_CHECK(again.encoding == read.encoding && again.format == read.format);
        FUZZ_CHECK(again.entries.toList() == read.entries.toList());
    }

    EntryList entries;
    for (const QByteArray& line : bytes.split('\n'))
        if (fitsOneLine(line))
            entries.append(line);

    if (plainM3uCanHold(entries)) {
        const PlaylistContent m3u = parsePlaylist(playlistFileBytes(playlistText(entries)));
        FUZZ_CHECK(m3u.format == PlaylistFormat::PlainM3U);
        FUZZ_CHECK(m3u.entries == entries);
    }

    const EntryList plsEntries = plsEntriesOf(entries);
    const PlaylistContent pls = parsePlaylist(plsText(plsEntries));
    FUZZ_CHECK(pls.format == PlaylistFormat::Pls);
    FUZZ_CHECK(pls.entries == plsEntries);
    return 0;
}
