#include "SongListView.h"

#include "MissingSongDelegate.h"
#include "playlists/SongListModel.h"

#include <QLabel>
#include <QLocale>
#include <QScrollBar>

#include <algorithm>

SongListView::SongListView(QWidget* parent) : QListView(parent) {
    setItemDelegate(new MissingSongDelegate(this));
    // A child of the frame, not of the viewport, so that scrolling the songs leaves it be.
    readingLine_ = new QLabel(this);
    readingLine_->setObjectName(QStringLiteral("readingLine"));
    readingLine_->setAutoFillBackground(true);
    readingLine_->setMargin(2);
    readingLine_->hide();
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

void SongListView::setModel(QAbstractItemModel* model) {
    if (songs_)
        disconnect(songs_, nullptr, this, nullptr);
    QListView::setModel(model);
    songs_ = qobject_cast<SongListModel*>(model);
    if (!songs_)
        return;
    connect(songs_, &SongListModel::readingProgressed, this, &SongListView::showReading);
    connect(songs_, &QAbstractItemModel::modelReset, this, &SongListView::showReading);
    showReading();
}

void SongListView::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    placeReadingLine();
}

void SongListView::showReading() {
    const bool reading = songs_ && songs_->isReading();
    if (reading)
        readingLine_->setText(
            QStringLiteral("Reading songs... %1").arg(QLocale().toString(songs_->count())));
    if (reading == readingLine_->isVisible())
        return;
    readingLine_->setVisible(reading);
    placeReadingLine();
}

void SongListView::placeReadingLine() {
    const QRect area = viewport()->geometry();
    const int height = readingLine_->sizeHint().height();
    readingLine_->setGeometry(area.left(), area.bottom() + 1 - height, area.width(), height);
    readingLine_->raise();
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
