#pragma once

#include <QByteArray>
#include <QList>

#include "platform/RawNames.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

// Looks at the playlists an execution is about to read, on a thread of its own and a little
// ahead: each one's status and its folder's listing, most of an execution's system calls,
// which then overlap the reading.
class FolderPrefetch {
public:
    struct Listing {
        QByteArray playlist;
        std::optional<RawNames::FileStatus> status; // the playlist's
        QByteArray folder;
        bool readable = false;
        QByteArray names; // each ended by a NUL
    };

    // The playlists in the order they will be asked for.
    explicit FolderPrefetch(QList<QByteArray> playlists);
    // Stops the listing and waits for the thread.
    ~FolderPrefetch();
    FolderPrefetch(const FolderPrefetch&) = delete;
    FolderPrefetch& operator=(const FolderPrefetch&) = delete;

    // The next playlist's, waiting for it if need be.
    Listing next();

private:
    void run();
    bool batchIsReady() const;

    const QList<QByteArray> playlists_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Listing> ready_;
    qsizetype taken_ = 0;
    bool stopping_ = false;
    bool consumerWaits_ = false;
    bool producerWaits_ = false;
    std::thread worker_;
};
