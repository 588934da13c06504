#pragma once

#include "MarkupWindow.h"
#include "PlaylistFile.h"

#include <QLatin1StringView>
#include <QString>

#include <memory>
#include <optional>

// How an XML playlist format names its songs: song elements in list elements below the root,
// each with its location as the text of a child element or as an attribute (of the song
// element itself, or of its first value element).
struct MarkupRule {
    PlaylistFormat format;
    QLatin1StringView root;
    QLatin1StringView listElement; // empty: any element holds songs
    QLatin1StringView songElement;
    QLatin1StringView valueElement; // empty: the attribute is the song element's
    QLatin1StringView attribute;    // empty: the value element's text
    Qt::CaseSensitivity names;
    // The path or URL a location stands for; empty when it names nothing.
    QByteArray (*entryOf)(QStringView written);
    // The same for a location written as plain UTF-8 (no references, trimmed, ASCII at both
    // ends), without making characters of it first; none leaves it to entryOf.
    std::optional<QByteArray> (*entryOfPlain)(QByteArrayView written);
    // The location to write for an entry, in the form of the one it replaces; none when the
    // format cannot hold it.
    std::optional<QString> (*writtenOf)(QStringView oldWritten, const QByteArray& entry);
};

// An entry as the characters XML holds: none when it is not UTF-8. A leading U+FEFF stays.
std::optional<QString> entryCharacters(QByteArrayView entry);

// Where an XML text's markup begins: after every UTF-8 byte-order mark at its start (the XML
// reader drops one it is handed without counting it, which would put every offset after it
// one character early) and the blanks after them.
qsizetype markupStart(QByteArrayView text);

// The root element's name, or none when the text (after any byte-order mark and blanks) is not
// XML.
std::optional<QString> markupRootName(QByteArrayView text);

// Reads the songs of an XML playlist's text by the rule a batch at a time, so a long playlist
// shows before it is all read. Every song is an entry and a MarkupSong. It may be moved to
// another thread between batches.
class MarkupPlaylistReading {
public:
    // Plain XML is gone through by MarkupTokenizer, at byte speed; `tokenizer` false leaves it
    // all to QXmlStreamReader, which the tokenizer must agree with.
    MarkupPlaylistReading(IndexedPlaylist& playlist, const MarkupRule& rule, bool tokenizer = true);
    // Reads the text from the source, a window at a time when it is not whole; the first batch
    // looks the text over first.
    MarkupPlaylistReading(MarkupSource source, const MarkupRule& rule, bool tokenizer = true);
    ~MarkupPlaylistReading();
    MarkupPlaylistReading(const MarkupPlaylistReading&) = delete;
    MarkupPlaylistReading& operator=(const MarkupPlaylistReading&) = delete;

    // Adds up to `songs` more songs to the playlist (the one given to the constructor, or it
    // moved, or a new one for each batch), and sets its format and markupIsUtf8; false once
    // the text has been read, and `whole` says how that went.
    bool readSongs(IndexedPlaylist& playlist, qsizetype songs);
    void readToEnd(IndexedPlaylist& playlist);
    // From any thread: the reading ends at its next window, what it read then being of no use.
    void stop();

private:
    struct State;
    std::unique_ptr<State> d_;
};

// Reads a playlist's songs by the rule with QXmlStreamReader, feeding it a part at a time so
// memory stays near the file's size. Nothing is fetched: a DTD, an entity it cannot expand or
// broken XML leave the playlist not whole, with the songs read before. With `windowBytes`, the
// text is read as from a file, that many bytes at a time.
IndexedPlaylist readMarkupPlaylist(QByteArray text, const MarkupRule& rule, bool tokenizer = true,
                                   qsizetype windowBytes = 0);
