#pragma once

#include "SharedVariables.h"

class UserDialogs;

// The instance INI file: per-copy auto-play and shuffle options ("General") and the playlist
// list ("PlayLists", paths relative to the file). These routines report their own failures.

// Loads (write false) or saves (write true) the whole file. Loading appends to the playlist
// list, which the caller empties first.
void ReadWriteIni(const QString& fileName, bool write, TSharedVariables& vars,
                  UserDialogs& dialogs);
// Loads the file when it exists; otherwise tells the user and takes the per-copy defaults.
void LoadIniFile(const QString& fileName, TSharedVariables& vars, UserDialogs& dialogs);
void SaveIniFile(const QString& fileName, TSharedVariables& vars, UserDialogs& dialogs);
// The nine per-copy settings at their defaults.
void SetPerCopyDefaults(TVARdlgPreferences& preferences);
