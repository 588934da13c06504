#include "PathCaseLookup.h"
#include "base/PathText.h"

#include "PathRules.h"
#include "platform/RawNames.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <utility>

namespace {

// Folder and last component; the folder of "/x" is "/", that of "x" is "" (the current one).
std::pair<QByteArray, QByteArray> splitLast(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return {QByteArray(), path};
    return {slash == 0 ? QByteArray("/") : path.left(slash), path.mid(slash + 1)};
}

QByteArray joined(const QByteArray& folder, const QByteArray& name) {
    if (folder.isEmpty())
        return name;
    return folder.endsWith('/') ? QByteArray(folder + name) : QByteArray(folder + '/' + name);
}

bool isDotName(const QByteArray& name) {
    return name.isEmpty() || name == "." || name == "..";
}

// The last "/", or -1: every song of an execution asks, so without a call into Qt's search.
qsizetype lastSlash(QByteArrayView path) {
    qsizetype at = path.size() - 1;
    while (at >= 0 && path[at] != '/')
        --at;
    return at;
}

// The folder a path's listing is kept under, as splitLast() gives it.
QByteArrayView folderKey(QByteArrayView path, qsizetype slash) {
    if (slash < 0)
        return {};
    return slash == 0 ? QByteArrayView("/") : path.first(slash);
}

// A folder's names are kept sorted as bytes.
bool holds(const QList<QByteArray>& sorted, QByteArrayView name) {
    return std::binary_search(sorted.cbegin(), sorted.cend(), name,
                              [](QByteArrayView a, QByteArrayView b) { return a < b; });
}

// Names compare as text: UTF-8 when valid, else one byte per letter (Latin-1).
QString folded(const QByteArray& name) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(name);
    return (utf8.hasError() ? QString::fromLatin1(name) : text).toCaseFolded();
}

} // namespace

QByteArray PathCaseLookup::existingPath(const QByteArray& path) {
    // A listed name is what the lookup below would find too, also when a stat of it fails.
    if (path.isEmpty() || isListed(path) || RawNames::exists(path))
        return path;
    QByteArray body = path;
    while (body.size() > 1 && body.endsWith('/'))
        body.chop(1);
    const QByteArray trailing = path.mid(body.size());
    const auto [folder, name] = splitLast(body);
    if (!trailing.isEmpty() || isDotName(name)) {
        const std::optional<QByteArray> real = realFolder(body);
        return real ? *real + trailing : path;
    }
    const std::optional<QByteArray> real = realFolder(folder);
    if (!real)
        return path;
    const std::optional<QByteArray> found = findName(*real, name, false);
    return found ? joined(*real, *found) : path;
}

QString PathCaseLookup::existingPath(const QString& path) {
    return pathText(existingPath(pathBytes(path)));
}

bool PathCaseLookup::nameExists(const QByteArray& path) {
    const auto [folder, name] = splitLast(path);
    return !isDotName(name) && holds(listing(folder).sorted, name);
}

void PathCaseLookup::listFolderOf(QByteArrayView path) {
    const QByteArrayView folder = folderKey(path, lastSlash(path));
    if (current_.listed && current_.folder == folder)
        return;
    QByteArray names;
    const QByteArray listed = folder.toByteArray();
    const bool readable = RawNames::appendFolderNames(listed, names);
    takeFolderListing(listed, readable, std::move(names));
}

QByteArray PathCaseLookup::folderOf(QByteArrayView path) {
    return folderKey(path, lastSlash(path)).toByteArray();
}

void PathCaseLookup::takeFolderListing(const QByteArray& folder, bool readable, QByteArray names) {
    current_.listed = true;
    current_.folder = folder;
    current_.readable = readable;
    current_.buffer = std::move(names);
    current_.names.clear();
    const QByteArrayView buffer(current_.buffer);
    for (qsizetype at = 0; at < buffer.size();) {
        qsizetype end = buffer.indexOf('\0', at);
        if (end < 0)
            end = buffer.size();
        current_.names.insert(buffer.sliced(at, end - at));
        at = end + 1;
    }
}

bool PathCaseLookup::isListed(QByteArrayView path) const {
    const qsizetype slash = lastSlash(path);
    return isListedIn(folderKey(path, slash), path.sliced(slash + 1));
}

bool PathCaseLookup::isListedIn(QByteArrayView folder, QByteArrayView name) const {
    if (current_.readable && current_.folder == folder && current_.names.contains(name))
        return true;
    const auto known = listings_.constFind(QByteArray::fromRawData(folder.data(), folder.size()));
    return known != listings_.cend() && holds(known->sorted, name);
}

std::optional<QByteArrayView> PathCaseLookup::currentFolderOf(QByteArrayView reference) const {
    const qsizetype slash = lastSlash(reference);
    if (!current_.readable || current_.folder != folderKey(reference, slash))
        return std::nullopt;
    return reference.first(slash + 1);
}

bool PathCaseLookup::holdsPlainName(QByteArrayView entry) const {
    // No separator, drive, scheme or dot name: resolving only joins it to the folder.
    for (const char c : entry)
        if (c == '/' || c == '\\' || c == ':')
            return false;
    return !entry.isEmpty() && !entry.startsWith('.') && current_.names.contains(entry);
}

bool PathCaseLookup::isKeptAsWritten(QByteArrayView entry) {
    return NativePath::isUrlEntry(entry) || NativePath::isWindowsAbsoluteEntry(entry);
}

QByteArray PathCaseLookup::resolveEntry(const QByteArray& entry, const QByteArray& reference) {
    return isKeptAsWritten(entry) ? entry : existingPath(resolveEntryAsWritten(entry, reference));
}

QByteArray PathCaseLookup::resolveEntryAsWritten(const QByteArray& entry,
                                                 QByteArrayView reference) {
    // An absolute path without a backslash is what the rules below give for it.
    if (entry.startsWith('/') && !entry.contains('\\'))
        return entry;
    return resolveEntryAsWritten(QByteArrayView(entry), reference);
}

QByteArray PathCaseLookup::resolveEntryAsWritten(QByteArrayView entry, QByteArrayView reference) {
    if (isKeptAsWritten(entry))
        return entry.toByteArray();
    // Most entries are a name in the reference's folder or an absolute path, with no backslash
    // and no dot to look at: the rules below come to the same bytes, joined here directly.
    if (!entry.startsWith('.') && !entry.contains('\\')) {
        if (entry.startsWith('/'))
            return entry.toByteArray();
        const QByteArrayView folder = reference.first(lastSlash(reference) + 1);
        QByteArray path;
        path.reserve(folder.size() + entry.size());
        return path.append(folder).append(entry);
    }
    // One character per byte: the rules see the ASCII separators, the other bytes pass through.
    return PathRules(PathStyle::Posix)
        .resolveEntryPath(QString::fromLatin1(entry), QString::fromLatin1(reference),
                          [this](const QString& path) { return nameExists(path.toLatin1()); })
        .toLatin1();
}

QString PathCaseLookup::resolveEntry(const QString& entry, const QString& reference) {
    return pathText(resolveEntry(pathBytes(entry), pathBytes(reference)));
}

PathCaseLookup::Listing& PathCaseLookup::listing(const QByteArray& folder) {
    if (const auto known = listings_.find(folder); known != listings_.end())
        return *known;
    Listing list;
    if (std::optional<QList<QByteArray>> names = RawNames::folderNames(folder)) {
        list.readable = true;
        list.sorted = std::move(*names);
        std::sort(list.sorted.begin(), list.sorted.end());
    }
    return *listings_.insert(folder, std::move(list));
}

std::optional<QByteArray> PathCaseLookup::realFolder(const QByteArray& folder) {
    if (folder.isEmpty() || folder == "/")
        return folder;
    if (const auto known = folders_.constFind(folder); known != folders_.cend())
        return *known;
    std::optional<QByteArray> result;
    if (RawNames::isFolder(folder)) {
        result = folder;
    } else {
        const auto [parent, name] = splitLast(folder);
        if (const std::optional<QByteArray> realParent = realFolder(parent)) {
            if (isDotName(name))
                result = name.isEmpty() ? *realParent : joined(*realParent, name);
            else if (const std::optional<QByteArray> found = findName(*realParent, name, true))
                result = joined(*realParent, *found);
        }
    }
    folders_.insert(folder, result);
    return result;
}

std::optional<QByteArray> PathCaseLookup::findName(const QByteArray& folder, const QByteArray& name,
                                                   bool folderWanted) {
    Listing& list = listing(folder);
    if (!list.readable)
        return std::nullopt;
    const auto fits = [&](const QByteArray& candidate) {
        return !folderWanted || RawNames::isFolder(joined(folder, candidate));
    };
    if (holds(list.sorted, name) && fits(name))
        return name;
    if (!list.foldedBuilt) {
        for (const QByteArray& candidate : std::as_const(list.sorted))
            list.folded[folded(candidate)].append(candidate);
        list.foldedBuilt = true;
    }
    for (const QByteArray& candidate : list.folded.value(folded(name)))
        if (candidate != name && fits(candidate))
            return candidate;
    return std::nullopt;
}

QString resolveExistingPath(const QString& path) {
    return PathCaseLookup().existingPath(path);
}

QByteArray resolveExistingPath(const QByteArray& path) {
    return PathCaseLookup().existingPath(path);
}

QString resolveEntryOnDisk(const QString& entry, const QString& reference) {
    return PathCaseLookup().resolveEntry(entry, reference);
}

QByteArray resolveEntryOnDisk(const QByteArray& entry, const QByteArray& reference) {
    return PathCaseLookup().resolveEntry(entry, reference);
}
