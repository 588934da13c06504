#include "SongPresence.h"

#include "FileUri.h"
#include "common/PathCaseLookup.h"
#include "common/PathRules.h"
#include "platform/RawNames.h"

bool namesNoFile(QByteArrayView entry) {
    if (entry.contains('\0'))
        return true;
    const std::optional<QByteArray> path = FileUri::localPathOf(entry);
    return path && path->contains('\0');
}

std::optional<QByteArray> missingSongPath(PathCaseLookup& lookup, QByteArrayView entry,
                                          const QByteArray& playlistFile) {
    // A file URI (GNOME's playlist parser writes M3U and PLS so) names its path as an absolute
    // entry does; one naming a Windows drive stays a URL.
    const std::optional<QByteArray> uriPath = FileUri::localPathOf(entry);
    const QByteArray bytes = uriPath && uriPath->startsWith('/') ? *uriPath : entry.toByteArray();
    if (namesNoFile(entry))
        return uriPath.value_or(bytes);
    if (isUrlEntry(QString::fromLatin1(bytes)))
        return std::nullopt;
    QByteArray path = lookup.resolveEntry(bytes, playlistFile);
    if (RawNames::exists(path))
        return std::nullopt;
    return path;
}

bool isMissingSong(PathCaseLookup& lookup, QByteArrayView entry, const QByteArray& playlistFile) {
    return missingSongPath(lookup, entry, playlistFile).has_value();
}
