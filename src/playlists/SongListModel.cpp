#include "SongListModel.h"

#include "common/PathCaseLookup.h"
#include "common/PathRules.h"
#include "base/TextDecoding.h"

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

// Songs read before the first paint, a window's worth and more; the worker reads the rest.
// What it read is taken at most so often, and three times as long as the views took to lay
// the rows out the last time: every take lays out all the rows again, so many small ones
// would cost the GUI thread more than the reading costs the worker.
constexpr qsizetype FirstSongs = 1000;
constexpr qint64 TakeMs = 250;

} // namespace

SongListModel::SongListModel(QObject* parent) : QAbstractListModel(parent) {
    connect(&check_, &MissingSongCheck::batchChecked, this, &SongListModel::takeCheckedBatch,
            Qt::QueuedConnection);
    connect(&check_, &MissingSongCheck::finished, this, &SongListModel::takeCheckFinished,
            Qt::QueuedConnection);
    connect(&reading_, &SongReading::songsRead, this, &SongListModel::songsRead,
            Qt::QueuedConnection);
    takeTimer_.setSingleShot(true);
    connect(&takeTimer_, &QTimer::timeout, this, &SongListModel::takeReadSongs);
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
        return tooltip(entry(index.row()), writtenText(index.row()), baseFolder_,
                       isMissing(index.row()));
    case MissingRole:
        return isMissing(index.row());
    default:
        return {};
    }
}

QByteArray SongListModel::writtenText(int row) const {
    if (!playlist_.isMarkup() || !playlist_.markup.isEmpty())
        return playlist_.writtenText(row).toByteArray();
    // As the entry, the tooltip leaves the line out.
    return writtenTextOnDisk(playlist_, row, identity_).value_or(entry(row).toByteArray());
}

Status SongListModel::load(const QByteArray& path, const QByteArray& file) {
    // What the file is before reading it: a change during the read then shows as a change.
    FileIdentity identity = FileIdentity::of(file);
    std::unique_ptr<MarkupPlaylistReading> reading;
    Result<IndexedPlaylist> loaded = loadIndexedPlaylist(file, &reading);
    if (loaded.failed()) {
        clear();
        return loaded.status();
    }
    replace(std::move(loaded).value(), path, std::move(identity), std::move(reading));
    return Status::ok();
}

void SongListModel::clear() {
    replace({}, QByteArray(), FileIdentity{});
}

void SongListModel::replace(IndexedPlaylist playlist, const QByteArray& listPath,
                            FileIdentity identity, std::unique_ptr<MarkupPlaylistReading> reading) {
    reading_.stop();
    takeTimer_.stop();
    beginResetModel();
    playlist_ = std::move(playlist);
    if (reading && !reading->readSongs(playlist_, FirstSongs))
        reading.reset();
    // Growing the tables of a million songs batch by batch would hold them twice at moments.
    if (reading)
        playlist_.reserveSongs(identity.size);
    rows_ = int(playlist_.entries.size());
    listPath_ = listPath;
    identity_ = std::move(identity);
    baseFolder_ = NativePath::withTrailingSeparator(NativePath::folderPart(identity_.path));
    marks_.reset();
    // Under way before the views look again, so they say the songs are being read; its news
    // comes after the generation below has grown.
    const bool read = !reading;
    if (reading)
        reading_.start(std::move(reading), generation_ + 1);
    endResetModel();
    ++generation_;
    checkDone_ = false;
    // The first songs are laid out before the worker's come.
    sinceTake_.start();
    layoutMs_ = 0;
    if (read)
        startMissingCheck();
}

void SongListModel::songsRead(quint64 generation) {
    if (generation != generation_ || !isReading())
        return;
    // The last songs are taken at once: nothing is left to wait for.
    const qint64 wait = qMax(TakeMs, 3 * layoutMs_) - sinceTake_.elapsed();
    if (wait <= 0 || reading_.hasEnded()) {
        takeTimer_.stop();
        takeReadSongs();
    } else if (!takeTimer_.isActive()) {
        takeTimer_.start(int(wait));
    }
}

void SongListModel::takeReadSongs() {
    if (!isReading())
        return;
    const bool ended = reading_.take(playlist_);
    showReadRows();
    sinceTake_.start();
    // The views lay the rows out before the next turn of the loop.
    QTimer::singleShot(0, this, [this, generation = generation_] {
        if (generation == generation_)
            layoutMs_ = sinceTake_.elapsed();
    });
    Q_EMIT readingProgressed();
    if (ended)
        startMissingCheck();
}

void SongListModel::finishReading() {
    if (!isReading())
        return;
    takeTimer_.stop();
    reading_.waitForEnd();
    takeReadSongs();
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

EntryList SongListModel::entriesAt(const QList<int>& rows) const {
    EntryList entries;
    entries.reserve(rows.size());
    for (int row : rows)
        entries.append(entry(row).toByteArray());
    return entries;
}
