#include "FileIdentity.h"

#include <QFileInfo>

FileIdentity FileIdentity::of(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {path, false, -1, {}, {}};
    return {path, true, info.size(), info.lastModified(), info.birthTime()};
}
