#pragma once

#include "Settings.h"

class UserDialogs;

// The instance INI file: per-copy auto-play and shuffle options ("General") and the playlist
// list ("PlayLists", paths relative to the file), which the caller keeps (the playlist list's
// model). These routines report their own failures.

// How a loaded playlist path is spelled: as the file on disk has it where only the letter case
// differs, or as the file names it, for a caller that finds the case when it needs the file
// (the playlist list does so for the rows it shows or uses, so a start makes no call per
// listed playlist).
enum class PlaylistSpelling { OnDisk, AsWritten };

// Loads the file when it exists, appending its playlists to `playlists`; otherwise tells the
// user and takes the per-copy defaults.
void readInstanceIni(const QString& fileName, Settings& settings, QList<QByteArray>& playlists,
                     UserDialogs& dialogs, PlaylistSpelling spelling = PlaylistSpelling::OnDisk);
void writeInstanceIni(const QString& fileName, Settings& settings,
                      const QList<QByteArray>& playlists, UserDialogs& dialogs);
// The nine per-copy settings at their defaults.
void setPerCopyDefaults(Settings& settings);
