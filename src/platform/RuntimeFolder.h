#pragma once

#include "base/Status.h"

#include <QByteArray>
#include <QString>

// The program's private folder for run-time files: $XDG_RUNTIME_DIR/Platterbox, else
// <temp>/Platterbox-<uid>. Created with mode 0700; refused unless owned by the user and
// private, so no other user can plant files or links in it.
namespace RuntimeFolder {

// The folder, created when missing; empty when it cannot be made safe.
QString path();

// "~PLATBX~.M3U" in that folder (the bare file name when there is no safe folder).
QString temporaryPlaylistPath();

// Writes a private file (mode 0600) without following a symbolic link at its place: a link,
// a FIFO, a socket or a file with other names there is replaced, never written through.
Status writeFileNoFollow(const QString& path, const QByteArray& bytes);

} // namespace RuntimeFolder
