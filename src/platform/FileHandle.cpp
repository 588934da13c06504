#include "FileHandle.h"

#include <unistd.h>

FileHandle::~FileHandle() {
    if (fd_ >= 0)
        ::close(fd_);
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}
