#pragma once

#include "ExecutionGathering.h"

#include <QByteArrayView>

#include <array>
#include <atomic>
#include <mutex>
#include <vector>

class WalkProgress;

// Gathers the songs of many listed playlists: from a few dozen on, on two threads, each taking
// the next chunk of neighbours (which share folders the system has just looked at), so that
// one reads while the other waits on the file system. What each playlist gave is then taken
// in any order without being gathered again.
class ListedPlaylistsGathering {
public:
    // `place`: the played position of each listed playlist (none: list order). Playlists
    // played after an unreadable one are not read.
    ListedPlaylistsGathering(const QList<QByteArray>& paths, const Preferences& options,
                             QList<qsizetype> place, const ShuffleClock& clock);

    // Gathers every playlist, showing each one read on this thread; false when the progress
    // asked to stop.
    bool run(WalkProgress* progress);

    // The first playlist in played order that could not be read, if any.
    const Status& failure() const { return failure_; }
    // The text each listed playlist gave, in list order.
    QList<QByteArrayView> playlistPieces() const;
    // Every gathered path's line, in list order.
    QList<QByteArrayView> songPieces() const;
    qsizetype songCount() const;

private:
    struct Piece {
        int gathering = 0;
        qsizetype firstSong = 0;
        qsizetype endSong = 0;
    };

    // Gathers chunk after chunk into one gathering; false when the progress asked to stop.
    bool work(int gathering, WalkProgress* progress);
    void gather(qsizetype listed, int gathering);

    const QList<QByteArray>& paths_;
    const Preferences& options_;
    const QList<qsizetype> place_;
    std::array<ExecutionGathering, 2> gatherings_;
    std::vector<Piece> pieces_;
    std::atomic<qsizetype> nextChunk_ = 0;
    std::atomic<bool> stopping_ = false;
    // The played position of the first unreadable playlist, and its failure.
    std::atomic<qsizetype> failedAt_;
    std::mutex failureMutex_;
    Status failure_ = Status::ok();
    QString shown_; // the playlist the display shows
};
