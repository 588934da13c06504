#include "SongListModel.h"

#include "common/PathCaseLookup.h"
#include "SelectedRows.h"
#include "common/PathRules.h"
#include "common/TextDecoding.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

namespace {

// Where the character holding byte `at` begins, so that a cut never splits a UTF-8 sequence.
qsizetype characterStart(QByteArrayView text, qsizetype at) {
    while (at > 0 && (uchar(text[at]) & 0xC0) == 0x80)
        --at;
    return at;
}

// The first ShownLength bytes and an ellipsis, decoded as the whole entry would be.
QString shownText(QByteArrayView entry) {
    if (entry.size() <= SongListModel::ShownLength)
        return decodeEntry(entry);
    const QByteArrayView head = entry.first(characterStart(entry, SongListModel::ShownLength));
    return (entry.isValidUtf8() ? decodeEntry(head) : decodeWindows1252(head)) + QChar(0x2026);
}

// The entry with its middle left out: how it begins decides how it resolves, its end names
// the file.
QByteArray shortenedEntry(QByteArrayView entry) {
    constexpr qsizetype Half = SongListModel::ShownLength / 2;
    if (entry.size() <= SongListModel::ShownLength)
        return entry.toByteArray();
    return entry.first(characterStart(entry, Half)).toByteArray() + "..." +
           entry.sliced(characterStart(entry, entry.size() - Half)).toByteArray();
}

// The path the entry stands for; above it, what an XML playlist writes for it (a URI with its
// escapes) when that differs.
QString tooltip(QByteArrayView entry, QByteArrayView written, const QByteArray& baseFolder,
                bool missing) {
    QString hint = decodeEntry(resolveEntryOnDisk(shortenedEntry(entry), baseFolder));
    if (written != entry)
        hint.prepend(decodeEntry(shortenedEntry(written)) + QLatin1Char('\n'));
    return missing ? hint + QLatin1String("\nFile not found") : hint;
}

// Songs read before the first paint (a window's worth and more), and then per turn of the
// event loop, in steps until a slice of time is used: every turn lays out all the rows
// again, so many small turns would cost more than the reading.
constexpr qsizetype FirstSongs = 1000;
constexpr qsizetype SongsPerStep = 2048;
constexpr qint64 SliceMs = 100;

} // namespace

SongListModel::SongListModel(QObject* parent) : QAbstractListModel(parent), selection_(this) {
    connect(&check_, &MissingSongCheck::batchChecked, this, &SongListModel::takeCheckedBatch,
            Qt::QueuedConnection);
    connect(&check_, &MissingSongCheck::finished, this, &SongListModel::takeCheckFinished,
            Qt::QueuedConnection);
}

int SongListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant SongListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return shownText(entry(index.row()));
    case Qt::ToolTipRole:
        return tooltip(entry(index.row()), playlist_.writtenText(index.row()), baseFolder_,
                       isMissing(index.row()));
    case MissingRole:
        return isMissing(index.row());
    default:
        return {};
    }
}

Status SongListModel::load(const QByteArray& path, const QByteArray& file) {
    // What the file is before reading it: a change during the read then shows as a change.
    FileIdentity identity = FileIdentity::of(file);
    IndexedPlaylist playlist;
    std::unique_ptr<MarkupPlaylistReading> reading;
    const Status loaded = loadIndexedPlaylist(file, playlist, &reading);
    if (loaded.failed()) {
        clear();
        return loaded;
    }
    replace(std::move(playlist), path, std::move(identity), std::move(reading));
    return Status::ok();
}

void SongListModel::clear() {
    replace({}, QByteArray(), FileIdentity{});
}

void SongListModel::replace(IndexedPlaylist playlist, const QByteArray& listPath,
                            FileIdentity identity, std::unique_ptr<MarkupPlaylistReading> reading) {
    beginResetModel();
    playlist_ = std::move(playlist);
    reading_ = std::move(reading);
    if (reading_ && !reading_->readSongs(playlist_, FirstSongs))
        reading_.reset();
    rows_ = int(playlist_.entries.size());
    listPath_ = listPath;
    identity_ = std::move(identity);
    baseFolder_ = NativePath::withTrailingSeparator(NativePath::folderPart(identity_.path));
    marks_.reset();
    endResetModel();
    ++generation_;
    checkDone_ = false;
    sinceSlice_.invalidate();
    if (reading_)
        QTimer::singleShot(0, this,
                           [this, generation = generation_] { readNextBatch(generation); });
    else
        startMissingCheck();
}

void SongListModel::readNextBatch(quint64 generation) {
    if (generation != generation_ || !reading_)
        return;
    // The turn of the loop since the last slice laid out the rows: a slice reads for at least
    // three times as long, so that with a million rows the reading still has most of the time.
    const qint64 sliceMs = qMax(SliceMs, sinceSlice_.isValid() ? 3 * sinceSlice_.elapsed() : 0);
    QElapsedTimer slice;
    slice.start();
    bool more = true;
    while (more && slice.elapsed() < sliceMs)
        more = reading_->readSongs(playlist_, SongsPerStep);
    showReadRows();
    sinceSlice_.start();
    if (more) {
        QTimer::singleShot(0, this, [this, generation] { readNextBatch(generation); });
        Q_EMIT readingProgressed();
        return;
    }
    reading_.reset();
    Q_EMIT readingProgressed();
    startMissingCheck();
}

void SongListModel::finishReading() {
    if (!reading_)
        return;
    reading_->readToEnd(playlist_);
    reading_.reset();
    showReadRows();
    Q_EMIT readingProgressed();
    startMissingCheck();
}

void SongListModel::showReadRows() {
    const int read = int(playlist_.entries.size());
    if (read == rows_)
        return;
    beginInsertRows({}, rows_, read - 1);
    rows_ = read;
    endInsertRows();
}

void SongListModel::startMissingCheck() {
    marks_ = std::make_shared<PresenceMarks>(rows_);
    check_.start(playlist_.entries, identity_.path, generation_, marks_);
}

void SongListModel::takeCheckedBatch(quint64 generation, int firstRow, int rows) {
    if (generation != generation_)
        return;
    int firstMissing = -1;
    int lastMissing = -1;
    for (int row = firstRow; row < firstRow + rows; ++row) {
        if (isMissing(row)) {
            firstMissing = firstMissing < 0 ? row : firstMissing;
            lastMissing = row;
        }
    }
    // A present row looks as an unchecked one does.
    if (firstMissing >= 0)
        Q_EMIT dataChanged(index(firstMissing), index(lastMissing), {MissingRole, Qt::ToolTipRole});
}

void SongListModel::takeCheckFinished(quint64 generation) {
    if (generation != generation_)
        return;
    checkDone_ = true;
    // Rows out of view were marked without a word; a view repaints what it shows of them.
    if (rows_ > 0)
        Q_EMIT dataChanged(index(0), index(rows_ - 1), {MissingRole, Qt::ToolTipRole});
    Q_EMIT missingCheckFinished();
}

int SongListModel::currentRow() const {
    const QModelIndex current = selection_.currentIndex();
    return current.isValid() ? current.row() : -1;
}

QList<int> SongListModel::selectedRows() const {
    return ::selectedRows(selection_);
}

QStringList SongListModel::selectedTexts() const {
    QStringList texts;
    for (int row : selectedRows())
        texts.append(text(row));
    return texts;
}

EntryList SongListModel::selectedEntries() const {
    EntryList entries;
    for (int row : selectedRows())
        entries.append(entry(row).toByteArray());
    return entries;
}

void SongListModel::selectAll() {
    finishReading();
    if (count() > 0)
        selection_.select(QItemSelection(index(0), index(count() - 1)),
                          QItemSelectionModel::Select);
}
