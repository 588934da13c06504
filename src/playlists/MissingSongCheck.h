#pragma once

#include "PlaylistFile.h"

#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <memory>

// One mark a row (0: not checked yet, else a SongListModel::Presence), written by the check's
// thread and read by the GUI thread as it paints.
class PresenceMarks {
public:
    explicit PresenceMarks(qsizetype rows) : marks_(new std::atomic<char>[size_t(rows)]()) {}
    char at(qsizetype row) const { return marks_[row].load(std::memory_order_relaxed); }
    void set(qsizetype row, char mark) { marks_[row].store(mark, std::memory_order_relaxed); }

private:
    std::unique_ptr<std::atomic<char>[]> marks_;
};

// Finds which entries of a playlist name songs that are not there, on a worker thread, so a
// list of any length shows at once. It goes batch by batch, each time taking the unchecked
// batch nearest the first row in view, and marks the rows as it goes. Only a batch in view is
// reported before the end, so a long list leaves the GUI thread alone meanwhile. A new start,
// stop() or the destruction ends the check under way after the entry it is looking at.
class MissingSongCheck : public QObject {
    Q_OBJECT
public:
    static constexpr int BatchSize = 1024;
    // Rows from the first in view that count as in view: more than a window shows.
    static constexpr int RowsInView = 256;

    explicit MissingSongCheck(QObject* parent = nullptr);
    ~MissingSongCheck() override;

    // Checks the entries against the playlist file they were read from; `tag` comes back with
    // every result, so results of an earlier check can be told apart.
    // `marks` holds a mark for every entry: 1 present, 2 missing.
    void start(const EntryTable& entries, const QByteArray& playlistFile, quint64 tag,
               std::shared_ptr<PresenceMarks> marks);
    void stop();
    // The first row in view; the next batch checked is the one nearest it. It holds for the
    // checks started later too, until the view says otherwise.
    void setFocusRow(int row);

Q_SIGNALS:
    // Emitted on the worker thread for a batch in view once its rows are marked.
    void batchChecked(quint64 tag, int firstRow, int rows);
    void finished(quint64 tag);

private:
    struct Job;
    void run(const Job& job);

    std::shared_ptr<Job> job_;
    int focusRow_ = 0;
    // One thread: a new check waits for the cancelled one to let go of its entry.
    QThreadPool pool_;
};
