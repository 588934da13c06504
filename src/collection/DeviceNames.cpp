#include "DeviceNames.h"

#include "base/TextDecoding.h"

#include <algorithm>

namespace DeviceNames {

namespace {

bool isRefused(char c) {
    return uchar(c) < 0x20 || c == 0x7F || QByteArrayView("\\/:*?\"<>|").contains(c);
}

// Where the extension begins (at its dot), or the end when there is none worth keeping.
qsizetype extensionStart(QByteArrayView name) {
    const qsizetype dot = name.lastIndexOf('.');
    return dot > 0 && name.size() - dot <= 16 ? dot : name.size();
}

// Cuts whole characters from the end of the stem until the name fits.
QByteArray fitted(QByteArrayView stem, QByteArrayView extension) {
    const qsizetype room = qMax(qsizetype(0), MaximumLength - utf16Length(extension));
    // Not UTF-8: one byte is one Windows-1252 character.
    if (!stem.isValidUtf8())
        return stem.first(qMin(stem.size(), room)).toByteArray() + extension;
    QString text = QString::fromUtf8(stem);
    if (text.size() > room) {
        qsizetype keep = room;
        if (keep > 0 && text.at(keep - 1).isHighSurrogate())
            --keep;
        text.truncate(keep);
    }
    return text.toUtf8() + extension;
}

QByteArray withoutTrailingDotsAndBlanks(QByteArray name) {
    while (!name.isEmpty() && (name.back() == '.' || name.back() == ' '))
        name.chop(1);
    return name;
}

} // namespace

qsizetype utf16Length(QByteArrayView name) {
    return decodeText(name).size();
}

QByteArray asUtf8(QByteArrayView name) {
    return name.isValidUtf8() ? name.toByteArray() : decodeText(name).toUtf8();
}

QByteArray validName(QByteArrayView name) {
    QByteArray result = name.toByteArray();
    for (char& c : result)
        if (isRefused(c))
            c = '_';
    result = withoutTrailingDotsAndBlanks(std::move(result));
    // A byte is at most one UTF-16 unit: only a long name needs counting.
    if (result.size() > MaximumLength && utf16Length(result) > MaximumLength) {
        const qsizetype dot = extensionStart(result);
        result = withoutTrailingDotsAndBlanks(
            fitted(QByteArrayView(result).first(dot), QByteArrayView(result).sliced(dot)));
    }
    return result.isEmpty() ? QByteArray("_") : result;
}

QByteArray numberedName(QByteArrayView name, int number) {
    const qsizetype dot = extensionStart(name);
    const QByteArray suffix = " (" + QByteArray::number(number) + ")" + name.sliced(dot);
    return fitted(name.first(dot), suffix);
}

} // namespace DeviceNames

QByteArray DeviceNameTable::keyOf(QByteArrayView name) const {
    if (!ignoreCase_)
        return name.toByteArray();
    const bool ascii =
        std::all_of(name.cbegin(), name.cend(), [](char c) { return uchar(c) < 0x80; });
    // Folding ASCII alone is folding it as UTF-16: the keys of both kinds compare.
    return ascii ? name.toByteArray().toLower() : decodeText(name).toCaseFolded().toUtf8();
}

QByteArray DeviceNameTable::place(const QByteArray& folder, const QByteArray& owner,
                                  const QByteArray& wanted) {
    Folder& names = folders_[folder];
    if (const auto found = names.name.constFind(owner); found != names.name.cend())
        return *found;
    QByteArray name = wanted;
    QByteArray key = keyOf(name);
    for (int number = 2; names.taken.contains(key); ++number) {
        name = DeviceNames::numberedName(wanted, number);
        key = keyOf(name);
    }
    names.taken.insert(key);
    names.name.insert(owner, name);
    return name;
}
