#pragma once

#include <QString>

// The path with its extension replaced by ".Ini" (appended when it has none).
QString iniPathFor(const QString& programPath);

// The instance INI file for a start: parameter 1's ".Ini" file when that exists, else the
// program's own ".Ini" file when it exists or the program's folder is writable (a copy in a
// folder of the user's, a CD), else the per-user file of an installed copy. Both are found
// ignoring letter case when the exact path does not exist, as on Windows.
QString chooseIniPath(const QString& parameter1, const QString& programPath);

// A copy installed by the system (a package): its folder exists and the user cannot write it,
// and it has no INI file beside it.
bool isSystemInstalledCopy(const QString& programPath);
