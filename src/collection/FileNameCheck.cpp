#include "FileNameCheck.h"

bool isValidFileName(const QString& text) {
    static const QString forbidden = QStringLiteral("\\/:*?<>|") + QChar(0);
    for (QChar c : text)
        if (forbidden.contains(c))
            return false;
    return true;
}
