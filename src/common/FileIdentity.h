#pragma once

#include <QByteArray>
#include <QString>

// What a file on disk was when it was read: a later rewrite by any program changes at least
// one of these (a replace by rename gives a new file with its own inode and birth time, even
// at the same size and modification time). A change of permissions alone is no change.
// The path is the file system's bytes.
struct FileIdentity {
    QByteArray path;
    bool exists = false;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    qint64 bornNs = 0;
    quint64 device = 0;
    quint64 inode = 0;

    static FileIdentity of(const QByteArray& path);
    bool operator==(const FileIdentity& other) const = default;
};
