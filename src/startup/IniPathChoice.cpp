#include "IniPathChoice.h"

#include "ChangeFileExt.h"
#include "common/PathCaseLookup.h"
#include "platform/ConfigLocations.h"

#include <QFileInfo>

QString IniPathFor(const QString& programPath) {
    return ChangeFileExt(programPath, QStringLiteral(".Ini"));
}

QString ChooseIniPath(const QString& parameter1, const QString& programPath) {
    if (!parameter1.isEmpty()) {
        const QString candidate = resolveExistingPath(IniPathFor(parameter1));
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    if (IsSystemInstalledCopy(programPath))
        return ConfigLocations::perUserIniFile();
    return resolveExistingPath(IniPathFor(programPath));
}

bool IsSystemInstalledCopy(const QString& programPath) {
    const QFileInfo folder(QFileInfo(programPath).absolutePath());
    return folder.exists() && !folder.isWritable() &&
           !QFileInfo(resolveExistingPath(IniPathFor(programPath))).isFile();
}
