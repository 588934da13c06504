#include "RuntimeFolder.h"
#include "base/PathText.h"

#include "FileOperations.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RuntimeFolder {
namespace {

QString folderPath() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime))
        return QDir::cleanPath(runtime + QLatin1String("/Platterbox"));
    return QDir::cleanPath(QDir::tempPath() + QLatin1String("/Platterbox-") +
                           QString::number(geteuid()));
}

// Opened without following a link, so the checks and the chmod apply to the folder itself.
bool makePrivate(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool ours = ::fstat(fd, &info) == 0 && info.st_uid == ::geteuid();
    const bool privateNow = ours && ((info.st_mode & 07777) == 0700 || ::fchmod(fd, 0700) == 0);
    ::close(fd);
    return privateNow;
}

} // namespace

QString path() {
    const QString folder = folderPath();
    const QByteArray encoded = pathBytes(folder);
    if (::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return makePrivate(encoded) ? folder : QString();
}

QString temporaryPlaylistPath() {
    const QString name = QStringLiteral("~PLATBX~.M3U");
    const QString folder = path();
    return folder.isEmpty() ? name : folder + QLatin1Char('/') + name;
}

Status writeFileNoFollow(const QString& path, const QByteArray& bytes) {
    FileOperations::WriteOptions options;
    options.followLinks = false;
    options.permissions = 0600;
    options.flush = false; // it matters only while the program runs
    return FileOperations::writeFile(path, bytes, options);
}

} // namespace RuntimeFolder
