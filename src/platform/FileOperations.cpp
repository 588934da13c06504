#include "FileOperations.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

namespace FileOperations {

bool isReadOnlyFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return false;
    const QFile::Permissions writeBits = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (!(info.permissions() & writeBits))
        return true; // read-only even for root, as the read-only attribute is on Windows
    return ::access(QFile::encodeName(path).constData(), W_OK) != 0;
}

Status writeFileAtomically(const QString& path, const QByteArray& bytes) {
    if (isReadOnlyFile(path))
        return Status::failure(QStringLiteral("The file is read-only"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Status::failure(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return Status::failure(error);
    }
    if (!file.commit())
        return Status::failure(file.errorString());
    return Status::ok();
}

bool moveFile(const QString& from, const QString& to) {
    if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
        return false;
    return QFile::rename(from, to);
}

bool copyFileReplacing(const QString& from, const QString& to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        return false;
    char buffer[64 * 1024];
    for (;;) {
        const qint64 n = source.read(buffer, sizeof buffer);
        if (n < 0 || (n > 0 && target.write(buffer, n) != n)) {
            target.cancelWriting();
            return false;
        }
        if (n == 0)
            break;
    }
    if (!target.commit())
        return false;
    // Keep the executable bits of a program copy.
    QFile::setPermissions(to, source.permissions());
    return true;
}

bool deleteFile(const QString& path) {
    return QFile::remove(path);
}

bool isNameTaken(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

bool isSameFile(const QString& first, const QString& second) {
    struct stat a {};
    struct stat b {};
    if (::stat(QFile::encodeName(first).constData(), &a) != 0 ||
        ::stat(QFile::encodeName(second).constData(), &b) != 0)
        return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool isRegularFile(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace FileOperations
