#include "IniPathChoice.h"

#include "ChangeFileExt.h"
#include "common/PathCaseLookup.h"
#include "platform/ConfigLocations.h"

#include <QFileInfo>

QString iniPathFor(const QString& programPath) {
    return withExtension(programPath, QStringLiteral(".Ini"));
}

QString chooseIniPath(const QString& parameter1, const QString& programPath) {
    if (!parameter1.isEmpty()) {
        const QString candidate = resolveExistingPath(iniPathFor(parameter1));
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    if (isSystemInstalledCopy(programPath))
        return ConfigLocations::perUserIniFile();
    return resolveExistingPath(iniPathFor(programPath));
}

bool isSystemInstalledCopy(const QString& programPath) {
    const QFileInfo folder(QFileInfo(programPath).absolutePath());
    return folder.exists() && !folder.isWritable() &&
           !QFileInfo(resolveExistingPath(iniPathFor(programPath))).isFile();
}
