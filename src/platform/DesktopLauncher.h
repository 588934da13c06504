#pragma once

#include <QString>

// What opening a file did: a result above 32 is success, the ones below say why it failed.
enum class ShellResult : int {
    LaunchFailed = 2, // "file not found"
    AssociationIncomplete = 27,
    NoAssociation = 31,
    Launched = 42,
};

// Opens a file with a verb through the desktop's file associations (GIO).
namespace Shell {

// The MIME type of the temporary playlist.
inline const QString PlaylistMimeType = QStringLiteral("audio/x-mpegurl");

// verb "open" (any case) launches the default application of the playlist type with the file;
// another verb launches the matching desktop action of that application, or a well-known
// player's own option for "Play" / "Enqueue"; otherwise NoAssociation.
ShellResult openWithVerb(const QString& verb, const QString& file);

} // namespace Shell
