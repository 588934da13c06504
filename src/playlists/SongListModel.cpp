#include "SongListModel.h"

#include "common/PathRules.h"

#include <algorithm>

SongListModel::SongListModel(QObject* parent) : QAbstractListModel(parent), selection_(this) {}

int SongListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant SongListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row());
    case Qt::ToolTipRole:
        return ResolveEntryPath(text(index.row()), baseFolder_);
    default:
        return {};
    }
}

Status SongListModel::load(const QString& path) {
    // What the file is before reading it: a change during the read then shows as a change.
    FileIdentity identity = FileIdentity::of(path);
    IndexedPlayList playlist;
    const Status loaded = loadIndexedPlaylist(path, playlist);
    if (loaded.failed()) {
        replace({}, FileIdentity{});
        return loaded;
    }
    replace(std::move(playlist), std::move(identity));
    return Status::ok();
}

void SongListModel::clear() {
    replace({}, FileIdentity{});
}

void SongListModel::replace(IndexedPlayList playlist, FileIdentity identity) {
    beginResetModel();
    playlist_ = std::move(playlist);
    identity_ = std::move(identity);
    baseFolder_ = AddTrailingBackslash(ExtractFilePath(identity_.path));
    endResetModel();
    ++generation_;
}

int SongListModel::currentRow() const {
    const QModelIndex current = selection_.currentIndex();
    return current.isValid() ? current.row() : -1;
}

QList<int> SongListModel::selectedRows() const {
    QList<int> rows;
    for (const QItemSelectionRange& range : selection_.selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.append(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QStringList SongListModel::selectedTexts() const {
    QStringList texts;
    for (int row : selectedRows())
        texts.append(text(row));
    return texts;
}

void SongListModel::selectAll() {
    if (count() > 0)
        selection_.select(QItemSelection(index(0), index(count() - 1)),
                          QItemSelectionModel::Select);
}
