#include "SongPresence.h"

#include "common/PathCaseLookup.h"
#include "common/PathRules.h"
#include "platform/RawNames.h"

bool isMissingSong(PathCaseLookup& lookup, QByteArrayView entry, const QByteArray& playlistFile) {
    const QByteArray bytes = entry.toByteArray();
    if (isUrlEntry(QString::fromLatin1(bytes)))
        return false;
    return !RawNames::exists(lookup.resolveEntry(bytes, playlistFile));
}
