#include "FileIdentity.h"

#include "platform/RawNames.h"

#include <QFile>

FileIdentity FileIdentity::of(const QByteArray& path) {
    const std::optional<RawNames::FileStatus> status = RawNames::status(path);
    if (!status)
        return {path, false, -1, 0, 0, 0, 0};
    return {path,           true,           status->size, status->modifiedNs,
            status->bornNs, status->device, status->inode};
}
