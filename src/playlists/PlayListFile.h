#pragma once

#include "common/Status.h"

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>

// One playlist entry keeps the bytes of its line.
using EntryList = QList<QByteArray>;

enum class PlayListFormat { PlainM3U, ExtendedM3U, Pls };

struct PlayListContent {
    PlayListFormat format = PlayListFormat::PlainM3U;
    EntryList entries;
};

// Reads a playlist; the form is decided by the first line's content, never by the extension.
// Lines end at CR LF, CR or LF; a NUL byte ends the text; a UTF-8 byte-order mark at the very
// start is skipped; nothing is trimmed.
PlayListContent ParsePlayList(const QByteArray& bytes);
PlayListContent ReadPlayList(QIODevice& device);

// Whether the path may be opened as a playlist: a FIFO, a device or a socket (also behind a
// link) is refused with "Not a playlist file (a pipe or a device):\r<path>", since reading it
// may block or never end. A missing file or a folder passes; opening reports it.
Status CheckPlayListFileType(const QString& path);

// Replaces `entries` with the entries of the file (checked as above first). Fails with "Cannot open
// file <path>" and leaves `entries` unchanged when the file cannot be opened.
Status LoadPlayList(const QString& path, EntryList& entries);
Status LoadPlayList(const QString& path, PlayListContent& content);

// The written form: every entry followed by CR LF, no header.
QByteArray PlayListText(const EntryList& entries);
// A PLS text: "[playlist]", File1.. keys, "NumberOfEntries" and "Version=2"; a value that
// would read back otherwise (" lead.mp3") is quoted.
QByteArray PlsText(const EntryList& entries);
// Writes the file atomically in the written form (or as PLS); the old file survives a failure.
Status WritePlayList(const QString& path, const EntryList& entries,
                     PlayListFormat format = PlayListFormat::PlainM3U);

// Shown text of an entry: UTF-8 when valid, otherwise Windows-1252.
QString DecodeEntry(const QByteArray& entry);
// An edited entry is written in UTF-8.
QByteArray EncodeEntry(const QString& text);
