#pragma once

#include "ExecutionGathering.h"

#include <QByteArrayView>

class WalkProgress;

// Gathers the songs of many listed playlists in list order, where neighbours share folders the
// system has just looked at; what each playlist gave is then taken in any order without being
// gathered again.
class ListedPlaylistsGathering {
public:
    // `place`: the played position of each listed playlist (none: list order). Playlists
    // played after an unreadable one are not read. The paths and preferences are copies: a
    // long run hands events on, which may change the live ones.
    ListedPlaylistsGathering(QList<QByteArray> paths, Preferences options, QList<qsizetype> place,
                             const ShuffleClock& clock);

    // Gathers every playlist, showing each one as it is read; false when the progress asked
    // to stop.
    bool run(WalkProgress* progress);

    // The first playlist in played order that could not be read, if any.
    const Status& failure() const { return failure_; }
    // The text each listed playlist gave, in list order.
    QList<QByteArrayView> playlistPieces() const;
    // Every gathered path's line, in list order.
    QList<QByteArrayView> songPieces() const;
    qsizetype songCount() const { return gathering_.count(); }

private:
    const QList<QByteArray> paths_;
    const Preferences options_;
    const QList<qsizetype> place_;
    ExecutionGathering gathering_;
    // Where each listed playlist's songs end among the gathered ones.
    QList<qsizetype> ends_;
    // The played position of the first unreadable playlist, and its failure.
    qsizetype failedAt_;
    Status failure_ = Status::ok();
};
