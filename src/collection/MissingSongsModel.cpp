#include "MissingSongsModel.h"

#include "base/TextDecoding.h"

namespace {
// Top-level rows carry 0; a song's row carries its playlist's number plus one.
constexpr quintptr PlaylistLevel = 0;
} // namespace

MissingSongsModel::MissingSongsModel(QList<PlaylistRelocation> playlists, QObject* parent)
    : QAbstractItemModel(parent), playlists_(std::move(playlists)) {}

QModelIndex MissingSongsModel::index(int row, int column, const QModelIndex& parent) const {
    if (!hasIndex(row, column, parent))
        return {};
    return createIndex(row, column, parent.isValid() ? quintptr(parent.row()) + 1 : PlaylistLevel);
}

QModelIndex MissingSongsModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == PlaylistLevel)
        return {};
    return createIndex(int(child.internalId() - 1), 0, PlaylistLevel);
}

int MissingSongsModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return int(playlists_.size());
    if (parent.internalId() != PlaylistLevel || parent.column() != 0)
        return 0;
    return int(playlists_.at(parent.row()).songs.size());
}

int MissingSongsModel::columnCount(const QModelIndex&) const {
    return ColumnCount;
}

const SongRelocation* MissingSongsModel::song(const QModelIndex& index) const {
    if (!index.isValid() || index.internalId() == PlaylistLevel)
        return nullptr;
    return &playlists_.at(qsizetype(index.internalId() - 1)).songs.at(index.row());
}

SongRelocation* MissingSongsModel::song(const QModelIndex& index) {
    return const_cast<SongRelocation*>(std::as_const(*this).song(index));
}

QVariant MissingSongsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    if (const SongRelocation* found = song(index))
        return songData(playlists_.at(qsizetype(index.internalId() - 1)), *found, index.column(),
                        role);
    return playlistData(playlists_.at(index.row()), index.column(), role);
}

QVariant MissingSongsModel::playlistData(const PlaylistRelocation& playlist, int column,
                                         int role) const {
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    if (column == OldEntry)
        return decodeText(playlist.listPath);
    qsizetype checked = 0;
    for (const SongRelocation& song : playlist.songs)
        checked += song.checked ? 1 : 0;
    return QStringLiteral("%1 missing, %2 to be written").arg(playlist.songs.size()).arg(checked);
}

QVariant MissingSongsModel::songData(const PlaylistRelocation& playlist, const SongRelocation& song,
                                     int column, int role) const {
    if (column == OldEntry) {
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return decodeEntry(song.entry);
        if (role == Qt::CheckStateRole && song.chosen >= 0)
            return song.checked ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        if (song.candidates.isEmpty())
            return QStringLiteral("not found");
        if (song.chosen < 0)
            return QStringLiteral("ambiguous: %1 candidates").arg(song.candidateCount);
        return decodeEntry(newEntryOf(playlist, song, song.chosen));
    case Qt::EditRole:
        return song.chosen;
    case CandidatesRole: {
        QStringList texts;
        for (int candidate = 0; candidate < song.candidates.size(); ++candidate)
            texts.append(decodeEntry(newEntryOf(playlist, song, candidate)));
        return texts;
    }
    default:
        return {};
    }
}

bool MissingSongsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    SongRelocation* changed = song(index);
    if (!changed)
        return false;
    if (index.column() == OldEntry && role == Qt::CheckStateRole && changed->chosen >= 0) {
        changed->checked = value.value<Qt::CheckState>() == Qt::Checked;
    } else if (index.column() == NewEntry && role == Qt::EditRole) {
        const int candidate = value.toInt();
        if (candidate < 0 || candidate >= changed->candidates.size())
            return false;
        // Choosing a file is the user's decision to write it.
        changed->chosen = candidate;
        changed->checked = true;
    } else {
        return false;
    }
    const QModelIndex row = index.siblingAtColumn(OldEntry);
    Q_EMIT dataChanged(row, row.siblingAtColumn(NewEntry));
    const QModelIndex playlist = parent(index);
    Q_EMIT dataChanged(playlist.siblingAtColumn(NewEntry), playlist.siblingAtColumn(NewEntry));
    Q_EMIT countsChanged();
    return true;
}

Qt::ItemFlags MissingSongsModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractItemModel::flags(index);
    const SongRelocation* shown = song(index);
    if (shown && index.column() == OldEntry && shown->chosen >= 0)
        flags |= Qt::ItemIsUserCheckable;
    if (shown && index.column() == NewEntry && !shown->candidates.isEmpty())
        flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant MissingSongsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == OldEntry ? QStringLiteral("Missing entry") : QStringLiteral("New entry");
}

MissingSongsModel::Counts MissingSongsModel::counts() const {
    Counts counts;
    for (const PlaylistRelocation& playlist : playlists_)
        for (const SongRelocation& song : playlist.songs) {
            ++counts.missing;
            counts.checked += song.checked ? 1 : 0;
            if (song.candidates.isEmpty())
                ++counts.notFound;
            else if (song.isAmbiguous())
                ++counts.ambiguous;
            else
                ++counts.found;
        }
    return counts;
}

QString MissingSongsModel::summary() const {
    const Counts c = counts();
    return QStringLiteral("%1 missing songs in %2 playlists: %3 found, %4 ambiguous, %5 not "
                          "found. %6 checked songs will be written.")
        .arg(c.missing)
        .arg(playlists_.size())
        .arg(c.found)
        .arg(c.ambiguous)
        .arg(c.notFound)
        .arg(c.checked);
}
