#pragma once

#include "Settings.h"

class UserDialogs;

// The instance INI file: per-copy auto-play and shuffle options ("General") and the playlist
// list ("PlayLists", paths relative to the file). These routines report their own failures.

// How a loaded playlist path is spelled: as the file on disk has it where only the letter case
// differs, or as the file names it, for a caller that finds the case when it needs the file
// (the playlist list does so for the rows it shows or uses, so a start makes no call per
// listed playlist).
enum class PlaylistSpelling { OnDisk, AsWritten };

// Loads (write false) or saves (write true) the whole file. Loading appends to the playlist
// list, which the caller empties first.
void readWriteInstanceIni(const QString& fileName, bool write, Settings& settings,
                          UserDialogs& dialogs,
                          PlaylistSpelling spelling = PlaylistSpelling::OnDisk);
// Loads the file when it exists; otherwise tells the user and takes the per-copy defaults.
void readInstanceIni(const QString& fileName, Settings& settings, UserDialogs& dialogs,
                     PlaylistSpelling spelling = PlaylistSpelling::OnDisk);
void writeInstanceIni(const QString& fileName, Settings& settings, UserDialogs& dialogs);
// The nine per-copy settings at their defaults.
void setPerCopyDefaults(Settings& settings);
