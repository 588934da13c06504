#include "FolderListing.h"

#include <QFile>
#include <QFileInfo>

FolderReader::FolderReader(const QString& folder)
    : dir_(::opendir(QFile::encodeName(folder).constData())) {}

FolderReader::~FolderReader() {
    if (dir_)
        ::closedir(dir_);
}

bool FolderReader::next(Entry& entry) {
    if (!dir_)
        return false;
    while (const dirent* item = ::readdir(dir_)) {
        const char* name = item->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        entry.name = QFile::decodeName(name);
        entry.maybeFolder =
            item->d_type == DT_DIR || item->d_type == DT_LNK || item->d_type == DT_UNKNOWN;
        return true;
    }
    return false;
}

bool FolderExists(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool MatchesMask(const QString& name, const QString& mask) {
    const QStringView extension = QStringView(mask).mid(1); // ".EXT"
    return name.endsWith(extension, Qt::CaseInsensitive);
}

QStringList MatchesByMasks(const QString& folder, std::span<const QString> masks) {
    QStringList names;
    FolderReader reader(folder);
    FolderReader::Entry entry;
    while (reader.next(entry))
        names.append(entry.name);
    QStringList matches;
    for (const QString& mask : masks) {
        for (const QString& name : std::as_const(names))
            if (MatchesMask(name, mask))
                matches.append(name);
    }
    return matches;
}
