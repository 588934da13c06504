// Preloaded into a test (LD_PRELOAD): fails one kind of system call, for files under one
// folder only, as a full disk or a broken device would. The test names the call, the error
// and the folder in PLATTERBOX_TEST_FAULT ("write:ENOSPC:/tmp/x/"), read at every call, so
// it can turn the fault on and off around the step it checks. Calls: create (an open that
// makes a file), write, fsync, close, rename, fallocate.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

int errorNamed(const char* name) {
    static const struct {
        const char* name;
        int value;
    } errors[] = {{"ENOSPC", ENOSPC}, {"EDQUOT", EDQUOT}, {"EIO", EIO}, {"EACCES", EACCES}};
    for (const auto& error : errors)
        if (std::strcmp(error.name, name) == 0)
            return error.value;
    return EIO;
}

// The error to fail this call on this path with, or 0.
int faultFor(const char* call, const char* path) {
    const char* fault = std::getenv("PLATTERBOX_TEST_FAULT");
    if (!fault || !path)
        return 0;
    const char* first = std::strchr(fault, ':');
    const char* second = first ? std::strchr(first + 1, ':') : nullptr;
    if (!second || size_t(first - fault) != std::strlen(call) ||
        std::strncmp(fault, call, size_t(first - fault)) != 0 ||
        std::strncmp(path, second + 1, std::strlen(second + 1)) != 0)
        return 0;
    char name[16] = {};
    std::memcpy(name, first + 1, size_t(second - first - 1) < 15 ? size_t(second - first - 1) : 15);
    return errorNamed(name);
}

// Only descriptors open for writing: reading what is there never fails.
int faultForFd(const char* call, int fd) {
    if (!std::getenv("PLATTERBOX_TEST_FAULT") || (::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDONLY)
        return 0;
    char link[64];
    char path[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = ::readlink(link, path, sizeof path - 1);
    if (length <= 0)
        return 0;
    path[length] = '\0';
    return faultFor(call, path);
}

template <typename Function> Function next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

int openWith(const char* name, const char* path, int flags, mode_t mode) {
    using Open = int (*)(const char*, int, ...);
    static const Open real = next<Open>(name);
    if (flags & O_CREAT) {
        if (const int error = faultFor("create", path)) {
            errno = error;
            return -1;
        }
    }
    return real(path, flags, mode);
}

int fallocateWith(const char* name, int fd, off_t offset, off_t length) {
    using Fallocate = int (*)(int, off_t, off_t);
    static const Fallocate real = next<Fallocate>(name);
    if (const int error = faultForFd("fallocate", fd))
        return error;
    return real(fd, offset, length);
}

mode_t modeOf(int flags, va_list arguments) {
    return (flags & (O_CREAT | O_TMPFILE)) ? mode_t(va_arg(arguments, int)) : 0;
}

} // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return openWith("open", path, flags, mode);
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    return openWith("open64", path, flags, mode);
}

ssize_t write(int fd, const void* data, size_t size) {
    using Write = ssize_t (*)(int, const void*, size_t);
    static const Write real = next<Write>("write");
    if (const int error = faultForFd("write", fd)) {
        errno = error;
        return -1;
    }
    return real(fd, data, size);
}

int fsync(int fd) {
    using Fsync = int (*)(int);
    static const Fsync real = next<Fsync>("fsync");
    if (const int error = faultForFd("fsync", fd)) {
        errno = error;
        return -1;
    }
    return real(fd);
}

int close(int fd) {
    using Close = int (*)(int);
    static const Close real = next<Close>("close");
    const int error = faultForFd("close", fd);
    // The descriptor goes all the same, as Linux does with a failing close.
    const int result = real(fd);
    if (error) {
        errno = error;
        return -1;
    }
    return result;
}

int rename(const char* from, const char* to) {
    using Rename = int (*)(const char*, const char*);
    static const Rename real = next<Rename>("rename");
    if (const int error = faultFor("rename", to)) {
        errno = error;
        return -1;
    }
    return real(from, to);
}

int posix_fallocate(int fd, off_t offset, off_t length) {
    return fallocateWith("posix_fallocate", fd, offset, length);
}

int posix_fallocate64(int fd, off_t offset, off_t length) {
    return fallocateWith("posix_fallocate64", fd, offset, length);
}

} // extern "C"
