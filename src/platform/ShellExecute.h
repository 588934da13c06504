#pragma once

#include <QString>

// Opens a file with a verb through the desktop's file associations (GIO), as ShellExecute
// does on Windows. Results keep the Windows meaning: above 32 is success.
namespace Shell {

constexpr int Success = 42;
constexpr int FileNotFound = 2; // the launch failed
constexpr int AssociationIncomplete = 27;
constexpr int NoAssociation = 31;

// The MIME type of the temporary playlist.
inline const QString PlayListMimeType = QStringLiteral("audio/x-mpegurl");

// verb "open" (any case) launches the default application of the playlist type with the file;
// another verb launches the matching desktop action of that application, or a well-known
// player's own option for "Play" / "Enqueue"; otherwise NoAssociation.
int openWithVerb(const QString& verb, const QString& file);

} // namespace Shell
