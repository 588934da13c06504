#pragma once

#include "common/FileIdentity.h"
#include "base/Result.h"
#include "platform/RawNames.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

// One playlist entry keeps the bytes of its line.
using EntryList = QList<QByteArray>;

// M3U8 is M3U; XSPF, WPL and ASX are XML, read by the readers of MarkupPlaylistReader.h.
enum class PlaylistFormat { PlainM3U, ExtendedM3U, Pls, Xspf, Wpl, Asx };

// How the text is stored: 8-bit (UTF-8 or Windows-1252 entries), or UTF-16 with a byte-order
// mark, as Windows editors save "Unicode", or an XML playlist in UTF-16 without one (told by
// its first "<", as XML parsers tell it). UTF-16 text is read as UTF-8 entries.
enum class PlaylistEncoding { Bytes, Utf16LE, Utf16BE, Utf16LEUnmarked, Utf16BEUnmarked };

struct PlaylistContent {
    PlaylistFormat format = PlaylistFormat::PlainM3U;
    EntryList entries;
};

// A playlist's entries as views of one buffer (the file's bytes) plus an offset table, so a
// million entries cost the file's size and a few bytes each. The buffer is below 4 GiB.
class EntryTable {
public:
    EntryTable() = default;
    explicit EntryTable(const EntryList& entries);
    // Entries are added as ranges of `buffer`, which the table keeps.
    explicit EntryTable(QByteArray buffer) : bytes_(std::move(buffer)) {}
    void appendRange(qsizetype offset, qsizetype length);
    // Adds the bytes to the buffer as a new entry.
    void append(QByteArrayView entry);
    // Adds the entries of another table.
    void append(const EntryTable& other);
    // Room for so many entries of so many bytes in all, so a table grown batch by batch is not
    // copied as it grows.
    void reserve(qsizetype entries, qsizetype bytes) {
        spans_.reserve(entries);
        bytes_.reserve(bytes);
    }

    qsizetype size() const { return spans_.size(); }
    bool isEmpty() const { return spans_.isEmpty(); }
    QByteArrayView at(qsizetype index) const;
    // Where the entry lies in the buffer, which is the text it was read from.
    qsizetype offsetOf(qsizetype index) const { return spans_.at(index).offset; }
    const QByteArray& buffer() const { return bytes_; }
    EntryList toList() const;

private:
    // Eight bytes an entry: a playlist file is far below 4 GiB (larger ones are refused).
    struct Span {
        quint32 offset;
        quint32 length;
    };
    QByteArray bytes_;
    QList<Span> spans_;
};

// Where a song of an XML playlist lies in the file's text: its element, and the text of its
// location, source or reference as written (escapes and all).
struct MarkupSong {
    quint32 elementStart;
    quint32 elementEnd;
    quint32 valueStart;
    quint32 valueEnd;
    // Where the element holding it begins: the songs of one list share it.
    quint32 parent;
};

struct IndexedPlaylist {
    PlaylistFormat format = PlaylistFormat::PlainM3U;
    // For XML playlists, the paths and URLs the songs' locations stand for.
    EntryTable entries;
    PlaylistEncoding encoding = PlaylistEncoding::Bytes;
    // False when the text did not read whole (a NUL byte, broken UTF-16 or XML): rewriting the
    // file from the entries would lose the rest, so it is never rewritten.
    bool whole = true;
    // XML playlists: the file's text (UTF-16 as UTF-8), one MarkupSong an entry, and whether
    // the text is UTF-8 (else Windows-1252). The song list reads an 8-bit file a window at a
    // time and keeps no text: withMarkupText() reads it again for an edit.
    QByteArray markup;
    QList<MarkupSong> markupSongs;
    bool markupIsUtf8 = true;

    bool isMarkup() const {
        return format == PlaylistFormat::Xspf || format == PlaylistFormat::Wpl ||
               format == PlaylistFormat::Asx;
    }
    // What the file holds for the entry: the entry itself, or an XML song's location as written
    // (the text must be held).
    QByteArrayView writtenText(qsizetype row) const;
    // Adds the songs read of the same playlist, a batch at a time.
    void appendSongs(const IndexedPlaylist& batch);
    // Room for the songs of an XML text of `textSize` bytes, judged by those read so far.
    void reserveSongs(qint64 textSize);
};

// Reads again the text of an XML playlist that keeps none, from its file as it was read
// (`identity`); fails with "Unable to update file!" when the file changed since.
Status withMarkupText(IndexedPlaylist& playlist, const FileIdentity& identity);
// An XML song's location as written, from the file as it was read; none when the file changed.
std::optional<QByteArray> writtenTextOnDisk(const IndexedPlaylist& playlist, qsizetype row,
                                            const FileIdentity& identity);

class MarkupPlaylistReading;

// The same reading rules as parsePlaylist(), keeping the bytes once. With `rest`, an XML
// playlist's songs are left to the reading put there, to be read a batch at a time.
IndexedPlaylist indexPlaylist(QByteArray bytes,
                              std::unique_ptr<MarkupPlaylistReading>* rest = nullptr);
// Fails with "Cannot open file <path>" when the file cannot be opened. A path given as bytes
// need not be UTF-8; a pipe or a device is refused as checkPlaylistFileType() says.
Result<IndexedPlaylist> loadIndexedPlaylist(const QString& path);
Result<IndexedPlaylist> loadIndexedPlaylist(const QByteArray& path,
                                            std::unique_ptr<MarkupPlaylistReading>* rest = nullptr);
// A playlist looked at a moment before its reading: its status (none: it did not exist) and,
// where it was found a regular file, the file maybe opened already.
struct PlaylistLookAhead {
    std::optional<RawNames::FileStatus> status;
    FileHandle file;
};
// The same with the look taken ahead.
Result<IndexedPlaylist> loadIndexedPlaylist(const QByteArray& path, const PlaylistLookAhead& ahead,
                                            std::unique_ptr<MarkupPlaylistReading>* rest = nullptr);

// Reads a playlist; the form is decided by the first line's content, never by the extension.
// Lines end at CR LF, CR or LF; a NUL byte ends the text; a UTF-8 byte-order mark at the very
// start is skipped; nothing is trimmed.
PlaylistContent parsePlaylist(const QByteArray& bytes);
PlaylistContent readPlaylist(QIODevice& device);

// Whether the path may be opened as a playlist: a FIFO, a device or a socket (also behind a
// link) is refused with "Not a playlist file (a pipe or a device):\r<path>", since reading it
// may block or never end. A missing file or a folder passes; opening reports it.
Status checkPlaylistFileType(const QString& path);

// The form and entries of the file (checked as above first). Fails with "Cannot open file
// <path>" when the file cannot be opened.
Result<PlaylistContent> loadPlaylist(const QString& path);

// The written form: every entry followed by CR LF, no header.
QByteArray playlistText(const EntryList& entries);
// A PLS text: "[playlist]", File1.. keys, "NumberOfEntries" and "Version=2"; a value that
// would read back otherwise (" lead.mp3") is quoted.
QByteArray plsText(const EntryList& entries);
// Writes the file atomically in the written form (or as PLS), UTF-16 ones with their byte-order
// mark again so the program that made them still reads them; the old file survives a failure.
Status writePlaylist(const QString& path, const EntryList& entries,
                     PlaylistFormat format = PlaylistFormat::PlainM3U,
                     PlaylistEncoding encoding = PlaylistEncoding::Bytes);
Status writePlaylist(const QByteArray& path, const EntryList& entries,
                     PlaylistFormat format = PlaylistFormat::PlainM3U,
                     PlaylistEncoding encoding = PlaylistEncoding::Bytes);

// The bytes a file holds for a playlist's text: UTF-16 line by line for a UTF-16 file (the
// untouched lines come back as they were read), otherwise the 8-bit text, with a UTF-8 mark
// in front where it would begin like a UTF-16 one.
QByteArray playlistFileBytes(const QByteArray& text,
                             PlaylistEncoding encoding = PlaylistEncoding::Bytes);
// Writes a playlist's whole text (8-bit, or UTF-8 turned back into UTF-16) atomically.
Status writePlaylistText(const QByteArray& path, const QByteArray& text,
                         PlaylistEncoding encoding = PlaylistEncoding::Bytes);

// Whether a file's name ends in a playlist extension (any letter case): the names Add looks for.
bool hasPlaylistExtension(QByteArrayView name);

// Shown text of an entry: UTF-8 when valid, otherwise Windows-1252.
QString decodeEntry(QByteArrayView entry);
// An edited entry is written in UTF-8.
QByteArray encodeEntry(const QString& text);
