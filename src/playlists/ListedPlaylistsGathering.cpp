#include "ListedPlaylistsGathering.h"

#include "collection/WalkProgress.h"
#include "common/TextDecoding.h"

#include <chrono>
#include <condition_variable>
#include <thread>

namespace {
// From this many playlists on, a second thread gathers too (a thread costs some
// microseconds; a few playlists gain nothing).
constexpr qsizetype TwoThreadsFrom = 64;
// Playlists a thread takes at a time.
constexpr qsizetype ChunkSize = 32;
// While the other thread finishes, the display is still kept alive this often.
constexpr std::chrono::milliseconds TickWhileWaiting{50};
} // namespace

ListedPlaylistsGathering::ListedPlaylistsGathering(const QList<QByteArray>& paths,
                                                   const Preferences& options,
                                                   QList<qsizetype> place,
                                                   const ShuffleClock& clock)
    : paths_(paths), options_(options),
      place_(std::move(place)), gatherings_{ExecutionGathering(clock), ExecutionGathering(clock)},
      pieces_(paths.size()), failedAt_(paths.size()) {}

bool ListedPlaylistsGathering::run(WalkProgress* progress) {
    if (paths_.size() < TwoThreadsFrom)
        return work(0, progress);
    std::mutex mutex;
    std::condition_variable finished;
    bool helperDone = false;
    std::thread helper([&] {
        work(1, nullptr);
        const std::lock_guard lock(mutex);
        helperDone = true;
        finished.notify_all();
    });
    bool going = work(0, progress);
    std::unique_lock lock(mutex);
    while (!finished.wait_for(lock, TickWhileWaiting, [&] { return helperDone; })) {
        lock.unlock();
        if (going && progress && !progress->tick(shown_)) {
            going = false;
            stopping_ = true;
        }
        lock.lock();
    }
    lock.unlock();
    helper.join();
    return going;
}

bool ListedPlaylistsGathering::work(int gathering, WalkProgress* progress) {
    const qsizetype count = paths_.size();
    for (qsizetype chunk = nextChunk_++; chunk * ChunkSize < count; chunk = nextChunk_++) {
        const qsizetype end = qMin(count, (chunk + 1) * ChunkSize);
        for (qsizetype listed = chunk * ChunkSize; listed < end; ++listed) {
            if (stopping_)
                return false;
            if (progress) {
                shown_ = decodeText(paths_.at(listed));
                if (!progress->tick(shown_)) {
                    stopping_ = true;
                    return false;
                }
            }
            gather(listed, gathering);
        }
    }
    return true;
}

void ListedPlaylistsGathering::gather(qsizetype listed, int gathering) {
    ExecutionGathering& into = gatherings_.at(size_t(gathering));
    Piece& piece = pieces_.at(size_t(listed));
    piece = {gathering, into.count(), into.count()};
    const qsizetype at = place_.isEmpty() ? listed : place_.at(listed);
    if (at > failedAt_)
        return;
    const Status status = into.addListedPlaylist(paths_.at(listed), options_);
    piece.endSong = into.count();
    if (status.failed()) {
        const std::lock_guard lock(failureMutex_);
        if (at < failedAt_) {
            failedAt_ = at;
            failure_ = status;
        }
    }
}

QList<QByteArrayView> ListedPlaylistsGathering::playlistPieces() const {
    QList<QByteArrayView> pieces;
    pieces.reserve(paths_.size());
    for (const Piece& piece : pieces_)
        pieces.append(
            gatherings_.at(size_t(piece.gathering)).lines(piece.firstSong, piece.endSong));
    return pieces;
}

QList<QByteArrayView> ListedPlaylistsGathering::songPieces() const {
    QList<QByteArrayView> songs;
    songs.reserve(songCount());
    for (const Piece& piece : pieces_)
        for (qsizetype song = piece.firstSong; song < piece.endSong; ++song)
            songs.append(gatherings_.at(size_t(piece.gathering)).lines(song, song + 1));
    return songs;
}

qsizetype ListedPlaylistsGathering::songCount() const {
    return gatherings_[0].count() + gatherings_[1].count();
}
