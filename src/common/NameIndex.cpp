#include "NameIndex.h"

#include <QHashFunctions>

#include <cstring>

NameIndex::NameIndex(QByteArray names) : names_(std::move(names)) {
    qsizetype count = 0;
    for (const char c : std::as_const(names_))
        count += c == 0 ? 1 : 0;
    qsizetype size = 16;
    while (size < 2 * count)
        size *= 2;
    slots_.fill(0, size);
    const char* bytes = names_.constData();
    for (qsizetype at = 0; at < names_.size();) {
        const QByteArrayView name(bytes + at, qsizetype(std::strlen(bytes + at)));
        size_t slot = qHash(name) & size_t(size - 1);
        while (slots_.at(slot) != 0)
            slot = (slot + 1) & size_t(size - 1);
        slots_[slot] = quint32(at + 1);
        at += name.size() + 1;
    }
}

bool NameIndex::isNameAt(quint32 offset, QByteArrayView name) const {
    // Each name is ended by a NUL within the buffer.
    const qsizetype end = qsizetype(offset) + name.size();
    return end < names_.size() && names_.at(end) == 0 &&
           std::memcmp(names_.constData() + offset, name.data(), size_t(name.size())) == 0;
}

bool NameIndex::contains(QByteArrayView name) const {
    if (slots_.isEmpty())
        return false;
    const size_t mask = size_t(slots_.size() - 1);
    for (size_t slot = qHash(name) & mask; slots_.at(slot) != 0; slot = (slot + 1) & mask)
        if (isNameAt(slots_.at(slot) - 1, name))
            return true;
    return false;
}
