#include "SongListModel.h"

#include "common/PathCaseLookup.h"
#include "SelectedRows.h"
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
        return DecodeEntry(resolveEntryOnDisk(entry(index.row()).toByteArray(), baseFolder_));
    default:
        return {};
    }
}

Status SongListModel::load(const QByteArray& path, const QByteArray& file) {
    // What the file is before reading it: a change during the read then shows as a change.
    FileIdentity identity = FileIdentity::of(file);
    IndexedPlayList playlist;
    const Status loaded = loadIndexedPlaylist(file, playlist);
    if (loaded.failed()) {
        clear();
        return loaded;
    }
    replace(std::move(playlist), path, std::move(identity));
    return Status::ok();
}

void SongListModel::clear() {
    replace({}, QByteArray(), FileIdentity{});
}

void SongListModel::replace(IndexedPlayList playlist, const QByteArray& listPath,
                            FileIdentity identity) {
    beginResetModel();
    playlist_ = std::move(playlist);
    listPath_ = listPath;
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
    if (count() > 0)
        selection_.select(QItemSelection(index(0), index(count() - 1)),
                          QItemSelectionModel::Select);
}
