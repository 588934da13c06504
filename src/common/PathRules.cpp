#include "PathRules.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <optional>

namespace {

// The rules look at ASCII only, so text and bytes (one character each) share them.
char16_t code(QChar c) {
    return c.unicode();
}
char16_t code(char c) {
    return uchar(c);
}

bool isAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isSchemeCharacter(char16_t c) {
    return isAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

// "scheme://": the first character that cannot belong to a scheme begins the "://".
template <typename View> bool urlEntry(View entry) {
    qsizetype end = 0;
    while (end < entry.size() && isSchemeCharacter(code(entry[end])))
        ++end;
    return end >= 2 && end + 2 < entry.size() && code(entry[end]) == u':' &&
           code(entry[end + 1]) == u'/' && code(entry[end + 2]) == u'/';
}

template <typename View> bool windowsAbsoluteEntry(View entry) {
    return entry.size() >= 3 && isAsciiLetter(code(entry[0])) && code(entry[1]) == u':' &&
           code(entry[2]) == u'\\';
}

// "..\" or "../": one step up.
QString parentGroup(const PathRules& rules) {
    return QStringLiteral("..") + rules.separator();
}

// Index of the character that ends the folder part, -1 if there is none.
qsizetype folderEnd(const PathRules& rules, const QString& path) {
    const qsizetype last = path.lastIndexOf(rules.separator());
    if (rules.style() == PathStyle::Posix)
        return last;
    return std::max(last, path.lastIndexOf(QLatin1Char(':')));
}

// Drops the text from the last separator on; false when nothing more can be cut.
// POSIX paths keep their root: "/a" becomes "/", and "/" stays.
bool cutLastComponent(const PathRules& rules, QString& folder) {
    const qsizetype last = folder.lastIndexOf(rules.separator());
    if (last < 0)
        return false;
    if (rules.style() == PathStyle::Posix && last == 0) {
        folder = QStringLiteral("/");
        return false;
    }
    folder.truncate(last);
    return true;
}

QString inReferenceFolder(const PathRules& rules, const QString& entry, const QString& reference) {
    return rules.addTrailingSeparator(rules.folderPart(reference)) + entry;
}

// Each leading "..\" climbs one folder above the reference's own folder.
QString resolveParentEntry(const PathRules& rules, const QString& entry, const QString& reference) {
    const QString parent = parentGroup(rules);
    QStringView rest(entry);
    qsizetype groups = 0;
    while (rest.startsWith(parent)) {
        rest = rest.mid(parent.size());
        ++groups;
    }
    QString folder = reference;
    for (qsizetype cut = 0; cut <= groups; ++cut) {
        if (!cutLastComponent(rules, folder))
            break;
    }
    return rules.addTrailingSeparator(folder) + rest;
}

// Drops the first component from both when they share it, letter case included.
bool dropCommonComponent(QStringView& path, QStringView& reference, QChar separator) {
    const qsizetype end = path.indexOf(separator);
    if (end < 0 || end != reference.indexOf(separator) || path.left(end) != reference.left(end))
        return false;
    path = path.mid(end + 1);
    reference = reference.mid(end + 1);
    return true;
}

// Entries that name their own root: absolute, network and (Windows) drive-relative paths.
std::optional<QString> rootedEntry(PathStyle style, const QString& entry,
                                   const QString& reference) {
    if (style == PathStyle::Posix) {
        if (entry.startsWith(u'/'))
            return entry;
        return std::nullopt;
    }
    if (entry.startsWith(QLatin1String("\\\\")))
        return entry;
    if (entry.startsWith(u'\\'))
        return reference.left(2) + entry;
    if (entry.size() >= 2 && entry.at(1) == u':')
        return entry;
    return std::nullopt;
}

// File choosers may return "a//b" or "a/./b"; both name "a/b", and must share its components.
QString cleanPosixPath(const QString& path) {
    QString result;
    result.reserve(path.size());
    for (const QChar c : path) {
        if (c == u'/' && result.endsWith(u'/'))
            continue;
        if (c == u'/' && result.endsWith(QLatin1String("/."))) {
            result.chop(1);
            continue;
        }
        result += c;
    }
    return result;
}

} // namespace

QChar PathRules::separator() const {
    return style_ == PathStyle::Windows ? QLatin1Char('\\') : QLatin1Char('/');
}

QString PathRules::folderPart(const QString& path) const {
    return path.left(folderEnd(*this, path) + 1);
}

QString PathRules::fileNamePart(const QString& path) const {
    return path.mid(folderEnd(*this, path) + 1);
}

QString PathRules::extension(const QString& path) const {
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot > folderEnd(*this, path) ? path.mid(dot) : QString();
}

QString PathRules::addTrailingSeparator(const QString& path) const {
    if (path.isEmpty() || path.endsWith(separator()))
        return path;
    return path + separator();
}

QString PathRules::resolveEntryPath(const QString& entry, const QString& reference) const {
    return resolveEntryPath(entry, reference, [](const QString&) { return false; });
}

QString PathRules::resolveEntryPath(const QString& entry, const QString& reference,
                                    const NameExists& exists) const {
    if (isUrlEntry(entry))
        return entry;
    if (style_ == PathStyle::Windows)
        return resolveSeparatedPath(entry, reference);
    if (isWindowsAbsoluteEntry(entry))
        return entry;
    if (!entry.contains(u'\\'))
        return resolveSeparatedPath(entry, reference);
    // Playlists made on Windows use "\"; here it separates as "/" does, unless a Linux name
    // holding a backslash is meant.
    const QStringList parts = entry.split(u'/');
    QString path;
    for (qsizetype index = 0; index < parts.size(); ++index) {
        QString part = parts.at(index);
        if (part.contains(u'\\') && !exists(resolveSeparatedPath(path + part, reference)))
            part.replace(u'\\', u'/');
        path += part;
        if (index + 1 < parts.size())
            path += u'/';
    }
    return resolveSeparatedPath(path, reference);
}

QString PathRules::resolveSeparatedPath(const QString& path, const QString& reference) const {
    if (path.startsWith(parentGroup(*this)))
        return resolveParentEntry(*this, path, reference);
    if (path.startsWith(u'.'))
        return inReferenceFolder(*this, path, reference);
    if (const std::optional<QString> rooted = rootedEntry(style_, path, reference))
        return *rooted;
    return inReferenceFolder(*this, path, reference);
}

QString PathRules::makeRelativePath(const QString& givenPath, const QString& givenReference) const {
    const QChar sep = separator();
    const bool posix = style_ == PathStyle::Posix;
    const QString path = posix ? cleanPosixPath(givenPath) : givenPath;
    const QString reference = posix ? cleanPosixPath(givenReference) : givenReference;
    QStringView restPath(path);
    QStringView restReference(reference);
    // Paths that share only the POSIX root stay absolute, as paths on two drives do.
    if (posix && restPath.startsWith(sep) && restReference.startsWith(sep)) {
        restPath = restPath.mid(1);
        restReference = restReference.mid(1);
    }
    bool common = false;
    while (dropCommonComponent(restPath, restReference, sep))
        common = true;
    if (!common)
        return path;
    return parentGroup(*this).repeated(restReference.count(sep)) + restPath;
}

QString asciiUpperCase(const QString& text) {
    QString result = text;
    for (QChar& c : result) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    }
    return result;
}

bool isWindowsAbsoluteEntry(const QString& entry) {
    return windowsAbsoluteEntry(QStringView(entry));
}

bool isUrlEntry(const QString& entry) {
    return urlEntry(QStringView(entry));
}

namespace NativePath {

QString withTrailingSeparator(const QString& path) {
    return PathRules(PathStyle::Posix).addTrailingSeparator(path);
}

QString resolveEntry(const QString& entry, const QString& reference) {
    return PathRules(PathStyle::Posix).resolveEntryPath(entry, reference, [](const QString& path) {
        return QFileInfo::exists(path);
    });
}

QString makeRelative(const QString& path, const QString& reference) {
    return PathRules(PathStyle::Posix).makeRelativePath(path, reference);
}

QString folderPart(const QString& path) {
    return PathRules(PathStyle::Posix).folderPart(path);
}

QString fileName(const QString& path) {
    return PathRules(PathStyle::Posix).fileNamePart(path);
}

QString extension(const QString& path) {
    return PathRules(PathStyle::Posix).extension(path);
}

namespace {
// Latin-1 carries every byte to one character and back.
QString carried(const QByteArray& path) {
    return QString::fromLatin1(path);
}
} // namespace

QByteArray withTrailingSeparator(const QByteArray& path) {
    return withTrailingSeparator(carried(path)).toLatin1();
}

QByteArray makeRelative(const QByteArray& path, const QByteArray& reference) {
    return makeRelative(carried(path), carried(reference)).toLatin1();
}

QByteArray folderPart(const QByteArray& path) {
    return path.left(path.lastIndexOf('/') + 1);
}

QByteArray fileName(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

bool isUrlEntry(QByteArrayView entry) {
    return urlEntry(entry);
}

bool isWindowsAbsoluteEntry(QByteArrayView entry) {
    return windowsAbsoluteEntry(entry);
}

QByteArray clean(const QByteArray& path) {
    if (path.isEmpty())
        return path;
    const bool folder = path.endsWith('/');
    QByteArray cleaned = QDir::cleanPath(carried(path)).toLatin1();
    if (folder && !cleaned.endsWith('/'))
        cleaned += '/';
    return cleaned;
}

} // namespace NativePath
