#pragma once

#include "base/TextDecoding.h"
#include "platform/RawNames.h"

#include <QFile>

// The floor of Execute: every playlist read and its entries, made absolute against the
// playlist's folder, written as one M3U; no look at the songs on disk.
inline void floorExecute(const QList<QByteArray>& paths, const QString& out) {
    QByteArray text;
    for (const QByteArray& path : paths) {
        const QByteArray folder = path.left(path.lastIndexOf('/') + 1);
        const std::optional<QByteArray> bytes = RawNames::readRegularFile(path);
        for (const QByteArray& line : splitLines(bytes.value_or(QByteArray())))
            text += (line.startsWith('/') ? line : folder + line) + "\r\n";
    }
    QFile file(out);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
}
