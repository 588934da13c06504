#include "PlaylistListModel.h"

#include "ListSorting.h"
#include "SelectedRows.h"
#include "common/PathRules.h"

#include <algorithm>
#include <numeric>

PlaylistListModel::PlaylistListModel(QStringList& paths, QObject* parent)
    : QAbstractListModel(parent), paths_(paths), selection_(this) {}

int PlaylistListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(paths_.size());
}

QVariant PlaylistListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= paths_.size())
        return {};
    const QString& path = paths_.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return ExtractFileName(path);
    case Qt::ToolTipRole:
    case PathRole:
        return path;
    default:
        return {};
    }
}

int PlaylistListModel::currentRow() const {
    const QModelIndex current = selection_.currentIndex();
    return current.isValid() ? current.row() : -1;
}

void PlaylistListModel::setCurrentRow(int row) {
    selection_.setCurrentIndex(row >= 0 ? index(row) : QModelIndex(),
                               QItemSelectionModel::NoUpdate);
}

QList<int> PlaylistListModel::selectedRows() const {
    return ::selectedRows(selection_);
}

QStringList PlaylistListModel::selectedPaths() const {
    QStringList selected;
    for (int row : selectedRows())
        selected.append(paths_.at(row));
    return selected;
}

void PlaylistListModel::select(int row) {
    selection_.select(index(row), QItemSelectionModel::Select);
}

void PlaylistListModel::selectAll() {
    if (!paths_.isEmpty())
        selection_.select(QItemSelection(index(0), index(count() - 1)),
                          QItemSelectionModel::Select);
}

void PlaylistListModel::changed() {
    ++generation_;
}

void PlaylistListModel::replaceAll(const QStringList& paths) {
    beginResetModel();
    paths_ = paths;
    endResetModel();
    changed();
}

void PlaylistListModel::append(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    const int first = count();
    beginInsertRows({}, first, first + int(paths.size()) - 1);
    paths_.append(paths);
    endInsertRows();
    changed();
}

void PlaylistListModel::setPath(int row, const QString& path) {
    paths_[row] = path;
    Q_EMIT dataChanged(index(row), index(row));
}

void PlaylistListModel::removeRowsAt(QList<int> rows) {
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    // From the last row down, so the rows still to remove keep their numbers.
    for (int row : rows) {
        beginRemoveRows({}, row, row);
        paths_.removeAt(row);
        endRemoveRows();
    }
    changed();
}

void PlaylistListModel::moveRows(QList<int> rows, int destination) {
    std::sort(rows.begin(), rows.end());
    if (rows.isEmpty())
        return;
    // The new order as old row numbers: the rows left in place, with the moved ones inserted.
    QList<int> order;
    for (int row = 0; row < count(); ++row)
        if (!rows.contains(row))
            order.append(row);
    destination = std::clamp(destination, 0, int(order.size()));
    for (qsizetype i = 0; i < rows.size(); ++i)
        order.insert(destination + i, rows.at(i));
    reorder(order);
}

void PlaylistListModel::moveRowsByOne(QList<int> rows, int step) {
    std::sort(rows.begin(), rows.end());
    QList<int> order(count());
    std::iota(order.begin(), order.end(), 0);
    // Each moved row swaps with its neighbour unless that one is a moved row that stayed.
    if (step < 0) {
        for (int row : rows) {
            const qsizetype at = order.indexOf(row);
            if (at > 0 && !rows.contains(order.at(at - 1)))
                order.swapItemsAt(at, at - 1);
        }
    } else {
        for (auto it = rows.crbegin(); it != rows.crend(); ++it) {
            const qsizetype at = order.indexOf(*it);
            if (at + 1 < order.size() && !rows.contains(order.at(at + 1)))
                order.swapItemsAt(at, at + 1);
        }
    }
    reorder(order);
}

void PlaylistListModel::reorder(const QList<int>& order) {
    QList<int> identity(count());
    std::iota(identity.begin(), identity.end(), 0);
    if (order == identity)
        return;
    Q_EMIT layoutAboutToBeChanged();
    QList<int> newRowOf(count());
    QStringList reordered;
    for (int row = 0; row < order.size(); ++row) {
        newRowOf[order.at(row)] = row;
        reordered.append(paths_.at(order.at(row)));
    }
    paths_ = reordered;
    // The view's selection and focus travel with their rows.
    for (const QModelIndex& old : persistentIndexList())
        changePersistentIndex(old, index(newRowOf.at(old.row())));
    Q_EMIT layoutChanged();
    changed();
}

void PlaylistListModel::sortByName() {
    if (paths_.isEmpty())
        return;
    beginResetModel();
    SortLocaleAware(paths_);
    endResetModel();
    changed();
}
