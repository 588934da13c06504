#pragma once

#include <QString>

// The path with its extension (from the last "." of the file name) replaced by the given one;
// a name without an extension gets it appended.
QString withExtension(const QString& path, const QString& extension);
