#include "WriteLeftovers.h"

#include "PlatformLog.h"

#include <QByteArrayView>

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace WriteLeftovers {
namespace {

constexpr char Suffix[] = ".tmp";
constexpr qsizetype SuffixSize = sizeof Suffix - 1;

// Shortened, so that a name near the file system's limit still gets its temporary file.
QByteArray stemOf(const QByteArray& target) {
    return target.mid(target.lastIndexOf('/') + 1, 200);
}

QByteArray folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : path.left(qMax(slash, qsizetype(1)));
}

// The process that wrote a temporary file of this name, for the given stem (any when null);
// 0 when the name is not one of the writer's.
pid_t writerOf(QByteArrayView name, QByteArrayView stem) {
    if (!name.startsWith('.') || !name.endsWith(Suffix))
        return 0;
    const QByteArrayView middle = name.sliced(1, name.size() - 1 - SuffixSize);
    const qsizetype dot = middle.lastIndexOf('.');
    if (dot <= 0 || (!stem.isNull() && middle.first(dot) != stem))
        return 0;
    const QByteArrayView digits = middle.sliced(dot + 1);
    if (digits.isEmpty() || digits.size() > 9)
        return 0;
    pid_t process = 0;
    for (const char digit : digits) {
        if (digit < '0' || digit > '9')
            return 0;
        process = process * 10 + (digit - '0');
    }
    return process;
}

bool isGone(pid_t process) {
    return process > 0 && ::kill(process, 0) != 0 && errno == ESRCH;
}

// Only this user's regular files: a name of that form that is a link or someone else's is not
// a leftover of ours.
int removeMatching(const QByteArray& folder, QByteArrayView stem) {
    DIR* listing = ::opendir(folder.constData());
    if (!listing)
        return 0;
    static const pid_t self = ::getpid();
    int removed = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const pid_t writer = writerOf(entry->d_name, stem);
        if (writer == 0 || writer == self || !isGone(writer))
            continue;
        struct stat info {};
        if (::fstatat(::dirfd(listing), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
            continue;
        if (::unlinkat(::dirfd(listing), entry->d_name, 0) == 0) {
            ++removed;
            qCDebug(lcPlatform).nospace()
                << "removed " << folder << '/' << entry->d_name << ", left by a gone writer";
        }
    }
    ::closedir(listing);
    return removed;
}

} // namespace

QByteArray temporaryNameFor(const QByteArray& target) {
    static const pid_t process = ::getpid();
    const qsizetype slash = target.lastIndexOf('/') + 1;
    return target.left(slash) + '.' + stemOf(target) + '.' + QByteArray::number(process) + Suffix;
}

bool isTemporaryName(QByteArrayView name) {
    return writerOf(name, QByteArrayView()) != 0;
}

void removeFor(const QByteArray& target) {
    (void)removeMatching(folderOf(target), stemOf(target));
}

int removeIn(const QByteArray& folder) {
    return removeMatching(folder, QByteArrayView());
}

} // namespace WriteLeftovers
