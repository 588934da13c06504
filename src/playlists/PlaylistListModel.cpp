#include "PlaylistListModel.h"

#include "ListSorting.h"
#include "common/PathRules.h"
#include "base/TextDecoding.h"

#include <QMetaObject>

#include <algorithm>
#include <numeric>

namespace {
// More separate ranges than this are removed by rebuilding the list once: removing range by
// range moves the rows behind each one again.
constexpr qsizetype MaxRangesRemovedOneByOne = 16;

struct RowRange {
    int first;
    int last;
};

// Sorted, distinct rows as ranges of neighbours, from the last range to the first.
QList<RowRange> descendingRanges(const QList<int>& sortedRows) {
    QList<RowRange> ranges;
    for (int row : sortedRows) {
        if (!ranges.isEmpty() && ranges.last().last + 1 == row)
            ranges.last().last = row;
        else
            ranges.append({row, row});
    }
    std::reverse(ranges.begin(), ranges.end());
    return ranges;
}
} // namespace

PlaylistListModel::PlaylistListModel(QList<QByteArray> paths, QObject* parent)
    : QAbstractListModel(parent), paths_(std::move(paths)) {}

int PlaylistListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(paths_.size());
}

QVariant PlaylistListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= paths_.size())
        return {};
    const QByteArray& held = paths_.at(index.row());
    const QByteArray path = diskSpelling(held);
    if (path != held) {
        // The list takes what it shows once the event loop is back.
        if (shownUnadopted_.isEmpty())
            QMetaObject::invokeMethod(const_cast<PlaylistListModel*>(this),
                                      &PlaylistListModel::adoptShownSpellings,
                                      Qt::QueuedConnection);
        shownUnadopted_.append({index.row(), held});
    }
    switch (role) {
    case Qt::DisplayRole:
        return decodeText(NativePath::fileName(path));
    case Qt::ToolTipRole:
        return decodeText(path);
    case PathRole:
        return path;
    default:
        return {};
    }
}

QByteArray PlaylistListModel::path(int row) const {
    return row >= 0 && row < paths_.size() ? paths_.at(row) : QByteArray();
}

QByteArray PlaylistListModel::diskSpelling(const QByteArray& path) const {
    if (lookedUp_.contains(path))
        return path;
    const QByteArray onDisk = lookup_.existingPath(path);
    lookedUp_.insert(onDisk);
    return onDisk;
}

QByteArray PlaylistListModel::adoptDiskSpelling(int row) {
    if (row < 0 || row >= paths_.size())
        return {};
    const QByteArray onDisk = diskSpelling(paths_.at(row));
    if (onDisk != paths_.at(row)) {
        paths_[row] = onDisk;
        Q_EMIT dataChanged(index(row), index(row));
    }
    return onDisk;
}

void PlaylistListModel::adoptShownSpellings() {
    const QList<std::pair<int, QByteArray>> shown = std::exchange(shownUnadopted_, {});
    // A row that moved or changed since it was shown waits to be shown again.
    for (const auto& [row, held] : shown)
        if (row < paths_.size() && paths_.at(row) == held)
            adoptDiskSpelling(row);
}

QList<QByteArray> PlaylistListModel::pathsAt(const QList<int>& rows) const {
    QList<QByteArray> paths;
    paths.reserve(rows.size());
    for (int row : rows)
        paths.append(paths_.at(row));
    return paths;
}

void PlaylistListModel::changed() {
    ++generation_;
}

void PlaylistListModel::replaceAll(const QList<QByteArray>& paths) {
    beginResetModel();
    paths_ = paths;
    // The disk may have changed since the last list: every row is looked up afresh.
    lookup_ = PathCaseLookup();
    lookedUp_.clear();
    endResetModel();
    changed();
}

void PlaylistListModel::append(const QList<QByteArray>& paths) {
    if (paths.isEmpty())
        return;
    const int first = count();
    beginInsertRows({}, first, first + int(paths.size()) - 1);
    paths_.append(paths);
    endInsertRows();
    changed();
}

void PlaylistListModel::setPath(int row, const QByteArray& path) {
    paths_[row] = path;
    lookedUp_.insert(path); // a file just named so
    Q_EMIT dataChanged(index(row), index(row));
}

void PlaylistListModel::removeRowsAt(QList<int> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.removeIf([this](int row) { return row < 0 || row >= count(); });
    if (rows.isEmpty())
        return;
    const QList<RowRange> ranges = descendingRanges(rows);
    if (ranges.size() <= MaxRangesRemovedOneByOne) {
        // From the last range up, so the rows still to remove keep their numbers.
        for (const RowRange& range : ranges) {
            beginRemoveRows({}, range.first, range.last);
            paths_.remove(range.first, range.last - range.first + 1);
            endRemoveRows();
        }
    } else {
        const QList<bool> removed = rowMask(rows);
        QList<QByteArray> kept;
        kept.reserve(count() - rows.size());
        for (int row = 0; row < count(); ++row)
            if (!removed.at(row))
                kept.append(paths_.at(row));
        beginResetModel();
        paths_ = std::move(kept);
        endResetModel();
    }
    changed();
}

QList<bool> PlaylistListModel::rowMask(const QList<int>& rows) const {
    QList<bool> mask(count(), false);
    for (int row : rows)
        if (row >= 0 && row < count())
            mask[row] = true;
    return mask;
}

void PlaylistListModel::moveRows(QList<int> rows, int destination) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.isEmpty())
        return;
    // The new order as old row numbers: the rows left in place, with the moved ones inserted.
    const QList<bool> moved = rowMask(rows);
    QList<int> staying;
    staying.reserve(count());
    for (int row = 0; row < count(); ++row)
        if (!moved.at(row))
            staying.append(row);
    destination = std::clamp(destination, 0, int(staying.size()));
    QList<int> order = staying.first(destination);
    order.append(rows);
    order.append(staying.sliced(destination));
    reorder(order);
}

void PlaylistListModel::moveRowsByOne(QList<int> rows, int step) {
    QList<bool> moving = rowMask(rows);
    QList<int> order(count());
    std::iota(order.begin(), order.end(), 0);
    // Each moved row swaps with its neighbour unless that one is a moved row that stayed.
    // `order` and `moving` are indexed by position; a swap moves both.
    const int n = count();
    if (step < 0) {
        for (int at = 1; at < n; ++at)
            if (moving.at(at) && !moving.at(at - 1)) {
                order.swapItemsAt(at, at - 1);
                moving.swapItemsAt(at, at - 1);
            }
    } else {
        for (int at = n - 2; at >= 0; --at)
            if (moving.at(at) && !moving.at(at + 1)) {
                order.swapItemsAt(at, at + 1);
                moving.swapItemsAt(at, at + 1);
            }
    }
    reorder(order);
}

void PlaylistListModel::reorder(const QList<int>& order) {
    bool identity = true;
    for (int row = 0; row < order.size() && identity; ++row)
        identity = order.at(row) == row;
    if (identity)
        return;
    Q_EMIT layoutAboutToBeChanged();
    QList<int> newRowOf(count());
    QList<QByteArray> reordered;
    reordered.reserve(count());
    for (int row = 0; row < order.size(); ++row) {
        newRowOf[order.at(row)] = row;
        reordered.append(paths_.at(order.at(row)));
    }
    paths_ = std::move(reordered);
    // The view's selection and focus travel with their rows.
    const QModelIndexList persistent = persistentIndexList();
    QModelIndexList moved;
    moved.reserve(persistent.size());
    for (const QModelIndex& old : persistent)
        moved.append(index(newRowOf.at(old.row())));
    changePersistentIndexList(persistent, moved);
    Q_EMIT layoutChanged();
    changed();
}

void PlaylistListModel::sortByName() {
    if (paths_.isEmpty())
        return;
    // Every row is used: each takes the disk's spelling, the order the user then sees.
    QStringList texts;
    texts.reserve(count());
    for (QByteArray& path : paths_) {
        path = diskSpelling(path);
        texts.append(decodeText(path));
    }
    QList<QByteArray> sorted;
    sorted.reserve(count());
    for (qsizetype row : localeSortedOrder(texts))
        sorted.append(paths_.at(row));
    beginResetModel();
    paths_ = std::move(sorted);
    endResetModel();
    changed();
}
