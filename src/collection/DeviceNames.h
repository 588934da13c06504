#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QSet>
#include <QString>

// Names any device can hold: FAT32 and exFAT refuse \ / : * ? " < > | and control characters,
// a trailing dot or blank, and names longer than 255 UTF-16 units. Names are the file
// system's bytes: only ASCII bytes are replaced, so a name that is not UTF-8 keeps its bytes.
namespace DeviceNames {

constexpr qsizetype MaximumLength = 255; // UTF-16 units

// The name with every refused character made "_", trailing dots and blanks dropped and the
// end of an overlong stem cut (the extension stays). Never empty.
QByteArray validName(QByteArrayView name);

// "name (2).mp3" for the second file that wants "name.mp3", within the length limit.
QByteArray numberedName(QByteArrayView name, int number);

// The name as UTF-8, as FAT and exFAT store it: bytes that are not UTF-8 read as Windows-1252.
QByteArray asUtf8(QByteArrayView name);

// How long the name is in UTF-16 units as a FAT or exFAT file system counts it.
qsizetype utf16Length(QByteArrayView name);

} // namespace DeviceNames

// Hands out the names inside the folders of a copy: the same owner (a song's or a folder's
// source) always gets the same name, and two owners whose names differ only in letter case
// get distinct ones where the device ignores case ("name (2).mp3"), in the order asked.
class DeviceNameTable {
public:
    explicit DeviceNameTable(bool ignoreCase) : ignoreCase_(ignoreCase) {}

    // The name `owner` has in `folder`, `wanted` when it is free.
    QByteArray place(const QByteArray& folder, const QByteArray& owner, const QByteArray& wanted);

private:
    QByteArray keyOf(QByteArrayView name) const;

    struct Folder {
        QSet<QByteArray> taken;             // each name's key, folded where case is ignored
        QHash<QByteArray, QByteArray> name; // each owner's name
    };
    bool ignoreCase_;
    QHash<QByteArray, Folder> folders_;
};
