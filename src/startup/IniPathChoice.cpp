#include "IniPathChoice.h"

#include "ChangeFileExt.h"
#include "platform/ConfigLocations.h"

#include <QDir>
#include <QFileInfo>

QString FindFileIgnoringCase(const QString& path) {
    if (path.isEmpty() || QFileInfo::exists(path))
        return path;
    const QFileInfo info(path);
    const QDir folder = info.dir();
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names)
        if (name.compare(info.fileName(), Qt::CaseInsensitive) == 0)
            return folder.filePath(name);
    return path;
}

QString IniPathFor(const QString& programPath) {
    return ChangeFileExt(programPath, QStringLiteral(".Ini"));
}

QString ChooseIniPath(const QString& parameter1, const QString& programPath) {
    if (!parameter1.isEmpty()) {
        const QString candidate = FindFileIgnoringCase(IniPathFor(parameter1));
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    if (IsSystemInstalledCopy(programPath))
        return ConfigLocations::perUserIniFile();
    return FindFileIgnoringCase(IniPathFor(programPath));
}

bool IsSystemInstalledCopy(const QString& programPath) {
    const QFileInfo folder(QFileInfo(programPath).absolutePath());
    return folder.exists() && !folder.isWritable() &&
           !QFileInfo(FindFileIgnoringCase(IniPathFor(programPath))).isFile();
}
