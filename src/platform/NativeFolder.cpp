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
    readable_ = fd_ >= 0 && exists_;
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
    if (!readable_)
        return;
    // getdents64 straight on our descriptor: a DIR stream would look at the folder again.
    alignas(dirent64) char buffer[32 * 1024];
    for (;;) {
        const ssize_t size = ::getdents64(fd_, buffer, sizeof buffer);
        if (size <= 0)
            break;
        for (ssize_t offset = 0; offset < size;) {
            const auto* item = reinterpret_cast<const dirent64*>(buffer + offset);
            offset += item->d_reclen;
            const char* name = item->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            const bool maybeLink = item->d_type == DT_LNK || item->d_type == DT_UNKNOWN;
            entries_.append({QByteArray(name), maybeLink || item->d_type == DT_DIR, maybeLink});
        }
    }
    ::close(fd_);
    fd_ = -1;
}
