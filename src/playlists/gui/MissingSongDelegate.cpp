#include "MissingSongDelegate.h"

#include "playlists/SongListModel.h"

#include <QApplication>
#include <QStyle>

MissingSongDelegate::MissingSongDelegate(QObject* parent)
    : QStyledItemDelegate(parent),
      icon_(QIcon::fromTheme(QStringLiteral("dialog-warning"),
                             QIcon(QStringLiteral(":/icons/missing.svg")))) {}

void MissingSongDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    if (!index.data(SongListModel::MissingRole).toBool()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem shown(option);
    initStyleOption(&shown, index);
    // Selected rows keep their highlighted text, so they stay readable.
    const QColor grey = shown.palette.color(QPalette::Disabled, QPalette::Text);
    shown.palette.setColor(QPalette::Active, QPalette::Text, grey);
    shown.palette.setColor(QPalette::Inactive, QPalette::Text, grey);
    shown.features |= QStyleOptionViewItem::HasDecoration;
    shown.icon = icon_;
    // No taller than the text, so the row is as high as the others.
    const int side = qMin(16, shown.fontMetrics.height());
    shown.decorationSize = QSize(side, side);
    const QWidget* widget = shown.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &shown, painter, widget);
}
