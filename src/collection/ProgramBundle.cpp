#include "ProgramBundle.h"

#include "CollectionLog.h"

#include "platform/LoadedLibraries.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QSet>

namespace {

// The X11 platform and what draws the program's SVG icons.
const QStringList NeededPlugins = {QStringLiteral("platforms/libqxcb.so"),
                                   QStringLiteral("imageformats/libqsvg.so"),
                                   QStringLiteral("iconengines/libqsvgicon.so")};

QString pluginFile(const QString& relative) {
    const QStringList folders = QCoreApplication::libraryPaths();
    for (const QString& folder : folders) {
        const QString candidate = folder + QLatin1Char('/') + relative;
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return QString();
}

// The name without its version: "libQt6Core.so.6" -> "libQt6Core".
QString baseName(const QString& fileName) {
    const qsizetype so = fileName.indexOf(QLatin1String(".so"));
    return so < 0 ? fileName : fileName.left(so);
}

// The folders the loader takes shared libraries from (modules and plugins live in their own
// folders below and are not bundled as libraries).
QSet<QString> libraryFolders(const QStringList& loaded) {
    QSet<QString> folders;
    for (const QString& file : loaded) {
        const QString name = baseName(QFileInfo(file).fileName());
        if (name == QLatin1String("libc") || name == QLatin1String("libQt6Core"))
            folders.insert(QFileInfo(file).canonicalPath());
    }
    return folders;
}

} // namespace

namespace ProgramBundle {

bool isBaseSystemLibrary(const QString& fileName) {
    static const QStringList exact = {
        // The C library, its loader and the libraries that ship with it.
        QStringLiteral("libc"), QStringLiteral("libm"), QStringLiteral("libdl"),
        QStringLiteral("libpthread"), QStringLiteral("librt"), QStringLiteral("libresolv"),
        QStringLiteral("libutil"), QStringLiteral("libanl"), QStringLiteral("libmvec"),
        QStringLiteral("libthread_db"), QStringLiteral("libBrokenLocale"),
        // The C++ runtime, the X11 protocol library, fonts.
        QStringLiteral("libstdc++"), QStringLiteral("libgcc_s"), QStringLiteral("libxcb"),
        QStringLiteral("libfontconfig"), QStringLiteral("libfreetype")};
    static const QStringList prefixes = {QStringLiteral("ld-linux"), QStringLiteral("libnss_"),
                                         QStringLiteral("libX"),     QStringLiteral("libGL"),
                                         QStringLiteral("libEGL"),   QStringLiteral("libOpenGL"),
                                         QStringLiteral("libglapi"), QStringLiteral("libgbm"),
                                         QStringLiteral("libdrm"),   QStringLiteral("libvulkan")};
    const QString name = baseName(fileName);
    if (exact.contains(name))
        return true;
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](const QString& prefix) { return name.startsWith(prefix); });
}

Result<QList<BundleFile>> collect(const QString& programPath, const QString& programName) {
    QList<BundleFile> files{{programPath, programName}};
    QList<BundleFile> plugins;
    for (const QString& relative : NeededPlugins) {
        const QString file = pluginFile(relative);
        QLibrary plugin(file);
        if (file.isEmpty() || !plugin.load()) {
            qCWarning(lcCollection) << "Qt plugin" << relative << "unusable:"
                                    << qUtf8Printable(file.isEmpty() ? QStringLiteral("not found")
                                                                     : plugin.errorString());
            return Status::failure(QStringLiteral("Qt plugin not found: ") + relative);
        }
        plugins.append({file, QStringLiteral("plugins/") + relative});
    }
    const QStringList loaded = LoadedLibraries::files();
    const QSet<QString> folders = libraryFolders(loaded);
    QSet<QString> names;
    for (const QString& file : loaded) {
        const QFileInfo info(file);
        if (!folders.contains(info.canonicalPath()) || isBaseSystemLibrary(info.fileName()))
            continue;
        if (!names.contains(info.fileName())) {
            names.insert(info.fileName());
            files.append({file, QStringLiteral("lib/") + info.fileName()});
        }
    }
    files += plugins;
    return files;
}

} // namespace ProgramBundle
