#include "SongReading.h"

#include <QMutex>
#include <QWaitCondition>

#include <atomic>

struct SongReading::Job {
    std::unique_ptr<MarkupPlaylistReading> reading;
    quint64 tag = 0;
    std::atomic<bool> cancelled = false;
    QMutex mutex;
    QWaitCondition progressed;
    // Under the mutex: the songs read and not taken yet, whether the reading ended, and
    // whether the GUI thread was told of songs since it last took them.
    IndexedPlaylist read;
    bool ended = false;
    bool told = false;
};

SongReading::SongReading(QObject* parent) : QObject(parent) {
    pool_.setMaxThreadCount(1);
}

SongReading::~SongReading() {
    stop();
    pool_.waitForDone();
}

void SongReading::start(std::unique_ptr<MarkupPlaylistReading> reading, quint64 tag) {
    stop();
    auto job = std::make_shared<Job>();
    job->reading = std::move(reading);
    job->tag = tag;
    job_ = job;
    pool_.start([this, job] { run(*job); });
}

void SongReading::stop() {
    if (job_) {
        job_->cancelled = true;
        job_->reading->stop();
    }
    job_.reset();
    pool_.clear();
}

void SongReading::run(Job& job) {
    bool more = true;
    while (more && !job.cancelled) {
        IndexedPlaylist batch;
        more = job.reading->readSongs(batch, SongsPerStep);
        QMutexLocker lock(&job.mutex);
        job.read.appendSongs(batch);
        job.ended = !more;
        // The end is told at once, so the last songs need not wait for a turn.
        const bool tell = !job.told || job.ended;
        job.told = true;
        job.progressed.wakeAll();
        lock.unlock();
        if (tell && !job.cancelled)
            Q_EMIT songsRead(job.tag);
    }
}

bool SongReading::take(IndexedPlaylist& playlist) {
    if (!job_)
        return true;
    QMutexLocker lock(&job_->mutex);
    playlist.appendSongs(job_->read);
    job_->read.entries = {};
    job_->read.markupSongs = {};
    job_->told = false;
    const bool ended = job_->ended;
    lock.unlock();
    if (ended)
        job_.reset();
    return ended;
}

bool SongReading::hasEnded() const {
    if (!job_)
        return true;
    QMutexLocker lock(&job_->mutex);
    return job_->ended;
}

void SongReading::waitForEnd() {
    if (!job_)
        return;
    QMutexLocker lock(&job_->mutex);
    while (!job_->ended)
        job_->progressed.wait(&job_->mutex);
}
