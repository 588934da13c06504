#include "NativeFolder.h"

#include <QHashFunctions>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

NativeFolder::NativeFolder(const QByteArray& path) {
    fd_ = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat info {};
    // A folder we may not read still exists (and is walked as one without sub-folders).
    const bool known = fd_ >= 0 ? ::fstat(fd_, &info) == 0 : ::stat(path.constData(), &info) == 0;
    exists_ = known && S_ISDIR(info.st_mode);
    id_ = {quint64(info.st_dev), quint64(info.st_ino)};
}

NativeFolder::~NativeFolder() {
    if (fd_ >= 0)
        ::close(fd_);
}

const QList<NativeFolder::Entry>& NativeFolder::entries() {
    if (!read_)
        read();
    return entries_;
}

void NativeFolder::read() {
    read_ = true;
    if (fd_ < 0 || !exists_)
        return;
    DIR* dir = ::fdopendir(fd_);
    if (!dir)
        return;
    fd_ = -1; // owned by `dir` now
    while (const dirent* item = ::readdir(dir)) {
        const char* name = item->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
            continue;
        const bool maybeFolder =
            item->d_type == DT_DIR || item->d_type == DT_LNK || item->d_type == DT_UNKNOWN;
        entries_.append({QByteArray(name), maybeFolder});
    }
    ::closedir(dir);
}
