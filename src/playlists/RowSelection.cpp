#include "RowSelection.h"

#include <algorithm>

int RowSelection::currentRow() const {
    const QModelIndex current = model_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void RowSelection::setCurrentRow(int row) {
    model_->setCurrentIndex(row >= 0 ? index(row) : QModelIndex(), QItemSelectionModel::NoUpdate);
}

QList<int> RowSelection::rows() const {
    QList<int> rows;
    for (const QItemSelectionRange& range : model_->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.append(row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void RowSelection::select(int row) {
    model_->select(index(row), QItemSelectionModel::Select);
}

void RowSelection::selectRange(int first, int last) {
    if (first <= last)
        model_->select(QItemSelection(index(first), index(last)), QItemSelectionModel::Select);
}

void RowSelection::selectAll() {
    selectRange(0, model_->model()->rowCount() - 1);
}

void RowSelection::clear() {
    model_->clearSelection();
}

QModelIndex RowSelection::index(int row) const {
    return model_->model()->index(row, 0);
}
