#include "MissingSongCheck.h"

#include "SongPresence.h"
#include "common/PathCaseLookup.h"

#include <atomic>
#include <vector>

struct MissingSongCheck::Job {
    EntryTable entries;
    QByteArray playlistFile;
    std::shared_ptr<PresenceMarks> marks;
    quint64 tag = 0;
    std::atomic<bool> cancelled{false};
    std::atomic<int> focusRow{0};
};

namespace {

// The marks of SongListModel::Presence.
constexpr char PresentMark = 1;
constexpr char MissingMark = 2;

// Which batches are left, and the one nearest a row among them.
class BatchOrder {
public:
    explicit BatchOrder(qsizetype rows)
        : done_((rows + MissingSongCheck::BatchSize - 1) / MissingSongCheck::BatchSize, false) {}

    qsizetype count() const { return qsizetype(done_.size()); }

    // Takes the unchecked batch nearest the row: the row's own, then outwards, below first.
    qsizetype take(int row) {
        const qsizetype focus =
            qBound(qsizetype(0), qsizetype(row / MissingSongCheck::BatchSize), count() - 1);
        for (qsizetype distance = 0; distance < count(); ++distance) {
            for (qsizetype batch : {focus + distance, focus - distance}) {
                if (batch >= 0 && batch < count() && !done_[batch]) {
                    done_[batch] = true;
                    return batch;
                }
            }
        }
        return -1;
    }

private:
    std::vector<bool> done_;
};

} // namespace

MissingSongCheck::MissingSongCheck(QObject* parent) : QObject(parent) {
    pool_.setMaxThreadCount(1);
}

MissingSongCheck::~MissingSongCheck() {
    stop();
    pool_.waitForDone();
}

void MissingSongCheck::start(const EntryTable& entries, const QByteArray& playlistFile, quint64 tag,
                             std::shared_ptr<PresenceMarks> marks) {
    stop();
    auto job = std::make_shared<Job>();
    job->entries = entries;
    job->marks = std::move(marks);
    job->playlistFile = playlistFile;
    job->tag = tag;
    job->focusRow = focusRow_;
    job_ = job;
    pool_.start([this, job] { run(*job); });
}

void MissingSongCheck::stop() {
    if (job_)
        job_->cancelled = true;
    job_.reset();
    pool_.clear();
}

void MissingSongCheck::setFocusRow(int row) {
    focusRow_ = row;
    if (job_)
        job_->focusRow.store(row, std::memory_order_relaxed);
}

// On the worker thread. The lookup keeps the folders it has read for the whole playlist.
void MissingSongCheck::run(const Job& job) {
    PathCaseLookup lookup;
    BatchOrder order(job.entries.size());
    for (qsizetype left = order.count(); left > 0; --left) {
        const qsizetype first =
            order.take(job.focusRow.load(std::memory_order_relaxed)) * BatchSize;
        const qsizetype size = qMin(qsizetype(BatchSize), job.entries.size() - first);
        for (qsizetype i = 0; i < size; ++i) {
            if (job.cancelled.load(std::memory_order_relaxed))
                return;
            const bool missing = isMissingSong(lookup, job.entries.at(first + i), job.playlistFile);
            job.marks->set(first + i, missing ? MissingMark : PresentMark);
        }
        const int focus = job.focusRow.load(std::memory_order_relaxed);
        if (first < focus + RowsInView && first + size > focus)
            Q_EMIT batchChecked(job.tag, int(first), int(size));
    }
    if (!job.cancelled)
        Q_EMIT finished(job.tag);
}
