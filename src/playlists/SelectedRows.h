#pragma once

#include <QItemSelectionModel>
#include <QList>

// The rows a selection holds, in order, each once; cheap for a selection of a million rows,
// which is one range.
QList<int> selectedRows(const QItemSelectionModel& selection);
