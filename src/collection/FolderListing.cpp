#include "FolderListing.h"

#include <QFileInfo>

FolderListing::FolderListing(const QByteArray& nativePath)
    : path_(nativePath), folder_(nativePath) {}

QList<QByteArray> FolderListing::matchesByMasks(std::span<const QString> masks) {
    const QList<NativeFolder::Entry>& names = entries();
    QList<QByteArray> matches;
    for (const QString& mask : masks) {
        // "*.EXT": the name ends with a dot and that extension, ignoring case.
        const QByteArray extension = mask.mid(1).toLatin1(); // ".EXT"
        for (const NativeFolder::Entry& entry : names) {
            const qsizetype start = entry.name.size() - extension.size();
            if (start >= 0 && qstrnicmp(entry.name.constData() + start, extension.constData(),
                                        size_t(extension.size())) == 0)
                matches.append(entry.name);
        }
    }
    return matches;
}

bool folderExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}
