#pragma once

#include <QString>

// The path with its extension replaced by ".Ini" (appended when it has none).
QString IniPathFor(const QString& programPath);

// The instance INI file for a start: parameter 1's ".Ini" file when that exists, else the
// program's own ".Ini" file (whether that one exists is not tested). Both are found ignoring
// letter case when the exact path does not exist, as on Windows.
QString ChooseIniPath(const QString& parameter1, const QString& programPath);
