#pragma once

#include <QByteArray>
#include <QStringView>

#include <optional>

// File URIs and relative URI references as XML playlists write them, turned into the path's
// bytes and back. Percent escapes stand for bytes, so any name on disk survives the trip.
namespace FileUri {

// The path of a "file:" URI naming this machine (no host or "localhost"); none for any
// other URI. "file:///C:/Music" gives "C:/Music", a Windows path the path rules know.
std::optional<QByteArray> pathOf(QStringView uri);
// The same for a URI as bytes (an M3U or PLS entry), which need not be UTF-8.
std::optional<QByteArray> localPathOf(QByteArrayView uri);
// True when the text starts with a scheme ("http:", "file:", "mms:").
bool hasScheme(QStringView text);
// A relative reference's path: its percent escapes decoded, nothing else changed.
QByteArray relativePathOf(QStringView reference);

// The bytes the percent escapes stand for. A "%" not followed by two hex digits is no escape
// and stays as written ("100% pure.mp3"), as GNOME's playlist parser writes it.
QByteArray decoded(QByteArrayView text);

// A path from the root, or from a drive ("C:\", "C:/").
bool isAbsolutePath(QByteArrayView path);
// "file://" and the percent-encoded absolute path ("C:/x" becomes "file:///C:/x").
QByteArray uriOf(const QByteArray& absolutePath);
// A relative path as a reference: percent-encoded (a "\" too, which stays part of a name).
QByteArray referenceOf(const QByteArray& relativePath);

// The bytes with those beyond ASCII (and controls) as percent escapes, the rest as it is.
QByteArray escapedBytes(const QByteArray& bytes);

} // namespace FileUri
