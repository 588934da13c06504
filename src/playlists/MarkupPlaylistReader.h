#pragma once

#include "PlayListFile.h"

#include <QLatin1StringView>
#include <QString>

#include <optional>

// How an XML playlist format names its songs: song elements in list elements below the root,
// each with its location as the text of a child element or as an attribute (of the song
// element itself, or of its first value element).
struct MarkupRule {
    PlayListFormat format;
    QLatin1StringView root;
    QLatin1StringView listElement; // empty: any element holds songs
    QLatin1StringView songElement;
    QLatin1StringView valueElement; // empty: the attribute is the song element's
    QLatin1StringView attribute;    // empty: the value element's text
    Qt::CaseSensitivity names;
    // The path or URL a location stands for; empty when it names nothing.
    QByteArray (*entryOf)(QStringView written);
    // The location to write for an entry, in the form of the one it replaces; none when the
    // format cannot hold it.
    std::optional<QString> (*writtenOf)(QStringView oldWritten, const QByteArray& entry);
};

// The root element's name, or none when the text (after any byte-order mark and blanks) is not
// XML.
std::optional<QString> markupRootName(QByteArrayView text);

// Reads a playlist's songs by the rule with QXmlStreamReader, feeding it a part at a time so
// memory stays near the file's size. Nothing is fetched: a DTD, an entity it cannot expand or
// broken XML leave the playlist not whole, with the songs read before.
IndexedPlayList readMarkupPlaylist(QByteArray text, const MarkupRule& rule);
