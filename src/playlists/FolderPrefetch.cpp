#include "FolderPrefetch.h"

#include "common/PathCaseLookup.h"

namespace {
// Enough to keep ahead of the reading without holding many listings at once.
constexpr size_t MostAhead = 256;
// A reader that caught up waits for this many: a wake-up per playlist costs more than
// the looking it waits for.
constexpr qsizetype WakeBatch = 32;
} // namespace

FolderPrefetch::FolderPrefetch(QList<QByteArray> playlists)
    : playlists_(std::move(playlists)), worker_([this] { run(); }) {}

FolderPrefetch::~FolderPrefetch() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

bool FolderPrefetch::batchIsReady() const {
    const qsizetype left = playlists_.size() - taken_;
    return qsizetype(ready_.size()) >= std::min(left, WakeBatch);
}

FolderPrefetch::Listing FolderPrefetch::next() {
    std::unique_lock lock(mutex_);
    if (taken_ >= playlists_.size())
        return {};
    if (ready_.empty()) {
        consumerWaits_ = true;
        changed_.wait(lock, [this] { return batchIsReady(); });
        consumerWaits_ = false;
    }
    Listing listing = std::move(ready_.front());
    ready_.pop_front();
    ++taken_;
    // A wake-up costs a system call on both sides: only the waiting one is woken.
    const bool wake = producerWaits_ && ready_.size() < MostAhead / 2;
    lock.unlock();
    if (wake)
        changed_.notify_all();
    return listing;
}

void FolderPrefetch::run() {
    Listing previous;
    bool first = true;
    for (const QByteArray& playlist : playlists_) {
        const QByteArray folder = PathCaseLookup::folderOf(playlist);
        Listing listing;
        if (!first && folder == previous.folder) {
            listing = previous; // neighbours in one folder: the names are shared, not read again
        } else {
            listing.folder = folder;
            listing.readable = RawNames::appendFolderNames(folder, listing.names);
            previous = listing;
            first = false;
        }
        listing.playlist = playlist;
        listing.status = RawNames::status(playlist);
        std::unique_lock lock(mutex_);
        if (!stopping_ && ready_.size() >= MostAhead) {
            producerWaits_ = true;
            changed_.wait(lock, [this] { return stopping_ || ready_.size() < MostAhead / 2; });
            producerWaits_ = false;
        }
        if (stopping_)
            return;
        ready_.push_back(std::move(listing));
        const bool wake = consumerWaits_ && batchIsReady();
        lock.unlock();
        if (wake)
            changed_.notify_all();
    }
}
