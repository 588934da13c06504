#pragma once

#include "Settings.h"

class UserDialogs;

// The instance INI file: per-copy auto-play and shuffle options ("General") and the playlist
// list ("PlayLists", paths relative to the file). These routines report their own failures.

// Loads (write false) or saves (write true) the whole file. Loading appends to the playlist
// list, which the caller empties first.
void readWriteInstanceIni(const QString& fileName, bool write, Settings& vars,
                          UserDialogs& dialogs);
// Loads the file when it exists; otherwise tells the user and takes the per-copy defaults.
void readInstanceIni(const QString& fileName, Settings& vars, UserDialogs& dialogs);
void writeInstanceIni(const QString& fileName, Settings& vars, UserDialogs& dialogs);
// The nine per-copy settings at their defaults.
void setPerCopyDefaults(Settings& vars);
