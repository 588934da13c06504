#include "SongListView.h"

#include "MissingSongDelegate.h"
#include "playlists/SongListModel.h"

#include <QScrollBar>

#include <algorithm>

SongListView::SongListView(QWidget* parent) : QListView(parent) {
    setItemDelegate(new MissingSongDelegate(this));
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            &SongListView::reportFirstVisibleRow);
    // The range changes with the list's height and with every list shown.
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this,
            &SongListView::reportFirstVisibleRow);
}

void SongListView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                               const QList<int>& roles) {
    const bool marksOnly =
        !roles.isEmpty() && std::all_of(roles.cbegin(), roles.cend(), [](int role) {
            return role == SongListModel::MissingRole || role == Qt::ToolTipRole;
        });
    if (!marksOnly) {
        QListView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
    if (inView(topLeft.row(), bottomRight.row()))
        QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}

void SongListView::reportFirstVisibleRow() {
    const QModelIndex first = indexAt(QPoint(0, 0));
    Q_EMIT firstVisibleRowChanged(first.isValid() ? first.row() : 0);
}

bool SongListView::inView(int first, int last) const {
    const QRect area = viewport()->rect();
    const QModelIndex top = indexAt(area.topLeft());
    // When that cannot be told, repainting is safe.
    if (!top.isValid())
        return true;
    const QModelIndex bottom = indexAt(QPoint(0, area.bottom()));
    const int lastInView = bottom.isValid() ? bottom.row() : model()->rowCount() - 1;
    return first <= lastInView && last >= top.row();
}
