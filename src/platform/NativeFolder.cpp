#include "NativeFolder.h"
#include "FolderEntries.h"

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
    forEachFolderEntry(fd_, [this](const dirent64& item) {
        const bool maybeLink = item.d_type == DT_LNK || item.d_type == DT_UNKNOWN;
        entries_.append({QByteArray(item.d_name), maybeLink || item.d_type == DT_DIR, maybeLink});
    });
    ::close(fd_);
    fd_ = -1;
}
