#pragma once

#include <QDateTime>
#include <QString>

// What a file on disk was when it was read: a later rewrite by any program changes at least
// one of these (a replace by rename gives a new file with its own birth time, even at the same
// size and modification time). A change of permissions alone is no change.
struct FileIdentity {
    QString path;
    bool exists = false;
    qint64 size = -1;
    QDateTime modified;
    QDateTime born;

    static FileIdentity of(const QString& path);
    bool operator==(const FileIdentity& other) const = default;
};
