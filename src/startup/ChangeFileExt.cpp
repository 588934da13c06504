#include "ChangeFileExt.h"

#include "common/PathRules.h"

QString ChangeFileExt(const QString& path, const QString& extension) {
    return path.left(path.size() - ExtractFileExt(path).size()) + extension;
}
