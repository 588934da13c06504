#pragma once

#include <QItemSelectionModel>
#include <QList>

// A list view's selection told in rows. The view owns its selection model; commands read and
// set the focus and the selection through this, the list models hold only their rows.
class RowSelection {
public:
    explicit RowSelection(QItemSelectionModel& model) : model_(&model) {}

    // -1 when no row has the focus.
    int currentRow() const;
    // Moves the focus (none for -1) without touching the selection.
    void setCurrentRow(int row);
    // The selected rows, in order, each once; cheap for a selection of a million rows, which
    // is one range.
    QList<int> rows() const;
    void select(int row);
    // Adds the rows first..last to the selection as one range.
    void selectRange(int first, int last);
    void selectAll();
    void clear();
    QItemSelectionModel& model() const { return *model_; }

private:
    QModelIndex index(int row) const;

    QItemSelectionModel* model_;
};
