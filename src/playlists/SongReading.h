#pragma once

#include "MarkupPlaylistReader.h"
#include "PlaylistFile.h"

#include <QObject>
#include <QThreadPool>

#include <memory>

// Reads the songs of a long XML playlist on a worker thread, keeping what it read for the GUI
// thread to take; the GUI thread never looks at memory the worker writes. A new start, stop()
// or the destruction makes the reading under way stop at its next window of the file, and
// nothing of it comes back.
class SongReading : public QObject {
    Q_OBJECT
public:
    // Songs read between two looks whether the reading was stopped.
    static constexpr qsizetype SongsPerStep = 2048;

    explicit SongReading(QObject* parent = nullptr);
    ~SongReading() override;

    // `tag` comes back with songsRead(), so an earlier reading's news can be told apart.
    void start(std::unique_ptr<MarkupPlaylistReading> reading, quint64 tag);
    void stop();
    bool isRunning() const { return job_ != nullptr; }
    // Adds the songs read since the last take to the playlist; true once all are taken, and
    // the reading is then over.
    bool take(IndexedPlaylist& playlist);
    // Whether everything was read (and waits to be taken).
    bool hasEnded() const;
    // Waits until the reading has read everything.
    void waitForEnd();

Q_SIGNALS:
    // Emitted on the worker thread when songs wait to be taken, once until the next take, and
    // when the reading ended.
    void songsRead(quint64 tag);

private:
    struct Job;
    void run(Job& job);

    std::shared_ptr<Job> job_;
    // One thread: a new reading waits for a stopped one to let go of its file.
    QThreadPool pool_;
};
