#include "ListedPlaylistsGathering.h"

#include "common/WalkProgress.h"
#include "base/TextDecoding.h"

ListedPlaylistsGathering::ListedPlaylistsGathering(QList<QByteArray> paths, Preferences options,
                                                   QList<qsizetype> place,
                                                   const ShuffleClock& clock)
    : paths_(std::move(paths)), options_(std::move(options)), place_(std::move(place)),
      gathering_(clock), failedAt_(paths_.size()) {}

bool ListedPlaylistsGathering::run(WalkProgress* progress) {
    ends_.reserve(paths_.size());
    for (qsizetype listed = 0; listed < paths_.size(); ++listed) {
        if (progress && !progress->tick(decodeText(paths_.at(listed))))
            return false;
        const qsizetype at = place_.isEmpty() ? listed : place_.at(listed);
        if (at < failedAt_) {
            if (const Status status = gathering_.addListedPlaylist(paths_.at(listed), options_);
                status.failed()) {
                failedAt_ = at;
                failure_ = status;
            }
        }
        ends_.append(gathering_.count());
    }
    return true;
}

QList<QByteArrayView> ListedPlaylistsGathering::playlistPieces() const {
    QList<QByteArrayView> pieces;
    pieces.reserve(ends_.size());
    qsizetype first = 0;
    for (const qsizetype end : ends_) {
        pieces.append(gathering_.lines(first, end));
        first = end;
    }
    return pieces;
}

QList<QByteArrayView> ListedPlaylistsGathering::songPieces() const {
    return gathering_.eachLine();
}
