#include "HandOffPath.h"

#include "PathExtension.h"
#include "common/PathCaseLookup.h"
#include "common/PathRules.h"

#include "base/PathText.h"
#include "platform/RawNames.h"

#include <QDir>

namespace {

bool isFileArgument(const QString& argument, const QDir& workingFolder) {
    if (argument.isEmpty())
        return false;
    return argument.contains(QLatin1Char('/')) ||
           RawNames::exists(pathBytes(workingFolder.filePath(argument)));
}

// Absolute and clean; a trailing "/" (a folder) is kept, it ends the folder part.
QString absoluteArgument(const QString& argument, const QDir& workingFolder) {
    const QString path = QDir::cleanPath(workingFolder.absoluteFilePath(argument));
    const bool folderMark = argument.endsWith(QLatin1Char('/')) && !path.endsWith(QLatin1Char('/'));
    return folderMark ? path + QLatin1Char('/') : path;
}

} // namespace

QStringList handOffCommandLine(const QString& programPath, const QStringList& arguments,
                               const QString& workingFolder) {
    const QDir folder(workingFolder);
    QStringList commandLine{programPath};
    for (const QString& argument : arguments)
        commandLine << (isFileArgument(argument, folder) ? absoluteArgument(argument, folder)
                                                         : argument);
    return commandLine;
}

std::optional<QString> handOffIniPath(const QStringList& commandLine) {
    const QString programPath = commandLine.value(0);
    if (programPath.isEmpty())
        return std::nullopt;
    const QString parameter = commandLine.value(1);
    const QString folder = NativePath::folderPart(parameter);
    const QString iniPath = folder.isEmpty() ? withExtension(programPath, QStringLiteral(".INI"))
                                             : folder + QLatin1String("Platterbox.INI");
    return resolveExistingPath(iniPath);
}
