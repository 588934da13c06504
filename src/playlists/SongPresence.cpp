#include "SongPresence.h"

#include "common/PathCaseLookup.h"
#include "common/PathRules.h"
#include "platform/RawNames.h"

std::optional<QByteArray> missingSongPath(PathCaseLookup& lookup, QByteArrayView entry,
                                          const QByteArray& playlistFile) {
    const QByteArray bytes = entry.toByteArray();
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
