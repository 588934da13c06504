#include "IniPathChoice.h"

#include "PathExtension.h"
#include "common/PathCaseLookup.h"
#include "platform/ConfigLocations.h"

#include "common/PathRules.h"
#include "base/PathText.h"
#include "platform/FileOperations.h"
#include "platform/RawNames.h"

QString iniPathFor(const QString& programPath) {
    return withExtension(programPath, QStringLiteral(".Ini"));
}

QString chooseIniPath(const QString& parameter1, const QString& programPath) {
    if (!parameter1.isEmpty()) {
        const QString candidate = resolveExistingPath(iniPathFor(parameter1));
        if (FileOperations::isRegularFile(candidate))
            return candidate;
    }
    if (isSystemInstalledCopy(programPath))
        return ConfigLocations::perUserIniFile();
    return resolveExistingPath(iniPathFor(programPath));
}

bool isSystemInstalledCopy(const QString& programPath) {
    const QByteArray folder = pathBytes(NativePath::folderPart(programPath));
    return RawNames::isFolder(folder) && !RawNames::isWritable(folder) &&
           !FileOperations::isRegularFile(resolveExistingPath(iniPathFor(programPath)));
}
