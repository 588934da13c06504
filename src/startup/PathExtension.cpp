#include "PathExtension.h"

#include "common/PathRules.h"

QString withExtension(const QString& path, const QString& extension) {
    return path.left(path.size() - NativePath::extension(path).size()) + extension;
}
