#pragma once

#include "MarkupPlaylistReader.h"
#include "MissingSongCheck.h"
#include "PlaylistFile.h"
#include "SongReading.h"
#include "common/FileIdentity.h"

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QTimer>

// The songs of the focused playlist: its entries' bytes (kept once, with an offset table), its
// form, and what the file was when it was read. Entries are decoded for display on demand.
// Which songs are missing is found off the GUI thread after each load and arrives row by row.
// The songs of a long XML playlist, slow to read, are read on a worker thread and added a batch
// at a time, so its first songs show at once; whatever needs them all finishes the read first.
class SongListModel : public QAbstractListModel {
    Q_OBJECT
public:
    // True for an entry whose song was found missing.
    static constexpr int MissingRole = Qt::UserRole + 1;
    // What the check has found of a row so far.
    enum class Presence : char { Unchecked, Present, Missing };

    explicit SongListModel(QObject* parent = nullptr);

    // Longer entries are shown and hinted cut to about this many characters: laying out
    // megabytes of one line at every re-layout froze the window.
    static constexpr qsizetype ShownLength = 4096;

    int rowCount(const QModelIndex& parent = {}) const override;
    // Display: the decoded entry; tooltip: the full path it stands for (both cut, see above),
    // with a line "File not found" once the song was found missing.
    QVariant data(const QModelIndex& index, int role) const override;

    // Reads the playlist the list names `path` from `file`, where it is on disk (found
    // whatever its letter case, resolveExistingPath); on failure the list is empty and the
    // status says why. Paths are the file system's bytes.
    Status load(const QByteArray& path, const QByteArray& file);
    void clear();

    int count() const { return rows_; }
    // Waits for what is left of the playlist to be read.
    void finishReading();
    bool isReading() const { return reading_.isRunning(); }
    QByteArrayView entry(int row) const { return playlist_.entries.at(row); }
    QString text(int row) const { return decodeEntry(entry(row)); }
    EntryList entries() const { return playlist_.entries.toList(); }
    // The playlist as read, which edits rewrite.
    const IndexedPlaylist& playlist() const { return playlist_; }
    PlaylistFormat format() const { return playlist_.format; }
    PlaylistEncoding encoding() const { return playlist_.encoding; }
    // False when the entries are not all the file holds (or not read yet); it must then not be
    // rewritten.
    bool readWhole() const { return playlist_.whole && !isReading(); }
    // The playlist shown, as the list names it; empty when none is.
    const QByteArray& playlistPath() const { return listPath_; }
    // The file read, as it is on disk.
    const FileIdentity& identity() const { return identity_; }
    // Grows with every load or clear.
    quint64 generation() const { return generation_; }

    Presence presence(int row) const {
        return marks_ ? Presence(marks_->at(row)) : Presence::Unchecked;
    }
    bool isMissing(int row) const { return presence(row) == Presence::Missing; }
    // True once every row of the list shown has been checked.
    bool missingCheckDone() const { return checkDone_; }
    // Stops the check for missing songs until the next load, so that a long command has both
    // processors; resumeMissingCheck() checks the list again from the start.
    void pauseMissingCheck() { check_.stop(); }
    void resumeMissingCheck() { startMissingCheck(); }
    // The first row in view: rows near it are checked first.
    void setFirstVisibleRow(int row) { check_.setFocusRow(row); }

    // The rows' entries (their bytes), for Execute of the songs selected in the view.
    EntryList entriesAt(const QList<int>& rows) const;

Q_SIGNALS:
    void missingCheckFinished();
    // Songs were read, or the reading ended (isReading() says which).
    void readingProgressed();

private:
    void replace(IndexedPlaylist playlist, const QByteArray& listPath, FileIdentity identity,
                 std::unique_ptr<MarkupPlaylistReading> reading = {});
    // What the file holds for the row, as written: read from the file for an XML playlist
    // that keeps no text, the entry when the file changed since.
    QByteArray writtenText(int row) const;
    void songsRead(quint64 generation);
    void takeReadSongs();
    void showReadRows();
    void startMissingCheck();
    void takeCheckedBatch(quint64 generation, int firstRow, int rows);
    void takeCheckFinished(quint64 generation);

    IndexedPlaylist playlist_;
    // The rest of an XML playlist, while it is being read.
    SongReading reading_;
    // Since songs read were last taken, and how long the views took to lay the rows out
    // then; a take waits on the timer until its turn.
    QElapsedTimer sinceTake_;
    qint64 layoutMs_ = 0;
    QTimer takeTimer_;
    // The rows the views know of: the entries read so far.
    int rows_ = 0;
    QByteArray listPath_;
    FileIdentity identity_;
    QByteArray baseFolder_;
    quint64 generation_ = 0;
    // One Presence a row, from the start of the check.
    std::shared_ptr<PresenceMarks> marks_;
    bool checkDone_ = true;
    MissingSongCheck check_;
};
