#pragma once

#include "base/Result.h"

#include <QList>
#include <QString>

// The files that make a copy of the running program start on another machine: the program,
// the shared libraries it has loaded that a base desktop does not carry, and the Qt plugins
// it needs, each with its place in the copy's folder.
struct BundleFile {
    QString source; // the file to copy
    QString target; // relative to the copy's folder: "Platterbox", "lib/...", "plugins/..."
};

namespace ProgramBundle {
// Points the copy's Qt at the plugins beside it.
inline const QByteArray QtConf = QByteArrayLiteral("[Paths]\nPrefix = .\nPlugins = plugins\n");

// True for libraries every desktop has, which the copy takes from the system: the C library
// and its loader, the C++ runtime, the X11 client libraries, OpenGL, fontconfig and freetype.
bool isBaseSystemLibrary(const QString& fileName);

// The program file first (as `programName`), then the libraries, then the plugins. The
// plugins are loaded here first, so that their own libraries are among the loaded ones.
// Fails when a needed plugin cannot be found or loaded.
Result<QList<BundleFile>> collect(const QString& programPath, const QString& programName);
} // namespace ProgramBundle
