// Preloaded into a test (LD_PRELOAD): fails one kind of call on files below one folder, as a
// full disk or a broken device would. PLATTERBOX_TEST_FAULT names the call, the error and
// the folder ("write:ENOSPC:/tmp/x/") and is read at every call, so a test turns the fault
// on and off around one step. Calls: create (an open that makes a file), write, fsync,
// close, rename, fallocate; reading never fails. "shortwrite" is a device that fails once and
// recovers: the first write below the folder stops half way, the next fails with the error,
// and the ones after go through.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The error this call fails with on this path, or 0.
int faultFor(const char* call, const char* path) {
    const char* fault = std::getenv("PLATTERBOX_TEST_FAULT");
    if (!fault || !path)
        return 0;
    const std::string spec(fault);
    const size_t first = spec.find(':');
    const size_t second = spec.find(':', first + 1);
    if (second == std::string::npos || spec.compare(0, first, call) != 0 ||
        std::strncmp(path, fault + second + 1, spec.size() - second - 1) != 0)
        return 0;
    const std::string error = spec.substr(first + 1, second - first - 1);
    return error == "ENOSPC" ? ENOSPC : error == "EDQUOT" ? EDQUOT : EIO;
}

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

// -1 with errno set, as a failing call returns.
int failWith(int error) {
    errno = error;
    return -1;
}

int openWith(const char* name, const char* path, int flags, va_list arguments) {
    static const auto real = next<int (*)(const char*, int, ...)>(name);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? mode_t(va_arg(arguments, int)) : 0;
    const int error = (flags & O_CREAT) ? faultFor("create", path) : 0;
    return error ? failWith(error) : real(path, flags, mode);
}

} // namespace

extern "C" {

int open(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const int fd = openWith("open", path, flags, arguments);
    va_end(arguments);
    return fd;
}

int open64(const char* path, int flags, ...) {
    va_list arguments;
    va_start(arguments, flags);
    const int fd = openWith("open64", path, flags, arguments);
    va_end(arguments);
    return fd;
}

ssize_t write(int fd, const void* data, size_t size) {
    static const auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
    const int error = faultForFd("write", fd);
    if (error)
        return failWith(error);
    // Counted per fault, so that each test's fault starts afresh.
    static std::string counted;
    static int writes = 0;
    const int shortError = faultForFd("shortwrite", fd);
    if (shortError && counted != std::getenv("PLATTERBOX_TEST_FAULT")) {
        counted = std::getenv("PLATTERBOX_TEST_FAULT");
        writes = 0;
    }
    if (shortError && ++writes == 1 && size > 1)
        return real(fd, data, size / 2);
    if (shortError && writes == 2)
        return failWith(shortError);
    return real(fd, data, size);
}

int fsync(int fd) {
    static const auto real = next<int (*)(int)>("fsync");
    const int error = faultForFd("fsync", fd);
    return error ? failWith(error) : real(fd);
}

// The descriptor goes all the same, as a failing close on Linux.
int close(int fd) {
    static const auto real = next<int (*)(int)>("close");
    const int error = faultForFd("close", fd);
    const int result = real(fd);
    return error ? failWith(error) : result;
}

int rename(const char* from, const char* to) {
    static const auto real = next<int (*)(const char*, const char*)>("rename");
    const int error = faultFor("rename", to);
    return error ? failWith(error) : real(from, to);
}

// It returns its error instead of setting errno.
int posix_fallocate(int fd, off_t offset, off_t length) {
    static const auto real = next<int (*)(int, off_t, off_t)>("posix_fallocate");
    const int error = faultForFd("fallocate", fd);
    return error ? error : real(fd, offset, length);
}

int posix_fallocate64(int fd, off_t offset, off_t length) {
    return posix_fallocate(fd, offset, length);
}

} // extern "C"
