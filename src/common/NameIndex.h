#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// The names of one folder listing (each ended by a NUL in one buffer), found by their exact
// bytes through a small open-addressed table: an execution asks for every song of a playlist
// in its folder, so a look costs a hash and mostly one comparison.
class NameIndex {
public:
    NameIndex() = default;
    explicit NameIndex(QByteArray names);

    bool contains(QByteArrayView name) const;
    const QByteArray& names() const { return names_; }

private:
    bool isNameAt(quint32 offset, QByteArrayView name) const;

    QByteArray names_;
    // Where each name begins, plus one; 0 is a free slot. A power of two, at most half full.
    QList<quint32> slots_;
};
