#pragma once

#include <QIcon>
#include <QStyledItemDelegate>

// Draws a song whose file is missing (SongListModel::MissingRole) in grey text behind a small
// warning icon; every other song as usual. Row heights stay as they are.
class MissingSongDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit MissingSongDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    QIcon icon_;
};
