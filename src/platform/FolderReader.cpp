#include "FolderReader.h"
#include "FolderEntries.h"

#include <cstring>

#include <fcntl.h>

bool FolderReader::list(const QByteArray& folder, QByteArray& names, QByteArrayView file,
                        bool& fileIsRegular) {
    fileIsRegular = false;
    folder_ = FileHandle(
        ::open(folder.isEmpty() ? "." : folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder_.isOpen())
        return false;
    forEachFolderEntry(folder_.fd(), [&](const dirent64& item) {
        const qsizetype size = qsizetype(std::strlen(item.d_name));
        names.append(item.d_name, size + 1);
        if (item.d_type == DT_REG && QByteArrayView(item.d_name, size) == file)
            fileIsRegular = true;
    });
    return true;
}

FileHandle FolderReader::openListedFile(QByteArrayView name) const {
    if (!folder_.isOpen())
        return {};
    const QByteArray terminated = name.toByteArray();
    return FileHandle(::openat(folder_.fd(), terminated.constData(),
                               O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW));
}
