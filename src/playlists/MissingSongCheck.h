#pragma once

#include "PlaylistFile.h"

#include <QObject>
#include <QThreadPool>

#include <memory>

// Finds which entries of a playlist name songs that are not there, on a worker thread, so a
// list of any length shows at once. It goes batch by batch, each time taking the unchecked
// batch nearest the first row in view. A new start, stop() or the destruction ends the check
// under way after the entry it is looking at.
class MissingSongCheck : public QObject {
    Q_OBJECT
public:
    static constexpr int BatchSize = 1024;

    explicit MissingSongCheck(QObject* parent = nullptr);
    ~MissingSongCheck() override;

    // Checks the entries against the playlist file they were read from; `tag` comes back with
    // every result, so results of an earlier check can be told apart.
    void start(const EntryTable& entries, const QByteArray& playlistFile, quint64 tag);
    void stop();
    // The first row in view; the next batch checked is the one nearest it. It holds for the
    // checks started later too, until the view says otherwise.
    void setFocusRow(int row);

Q_SIGNALS:
    // Emitted on the worker thread. One byte per row of the batch: 1 for a missing song.
    void batchChecked(quint64 tag, int firstRow, const QByteArray& missing);
    void finished(quint64 tag);

private:
    struct Job;
    void run(const Job& job);

    std::shared_ptr<Job> job_;
    int focusRow_ = 0;
    // One thread: a new check waits for the cancelled one to let go of its entry.
    QThreadPool pool_;
};
