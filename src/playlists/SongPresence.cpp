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
    const QByteArray bytes = entry.toByteArray();
    if (namesNoFile(entry))
        return FileUri::localPathOf(entry).value_or(bytes);
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
