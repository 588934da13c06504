#include "FindMissingSongsDialog.h"

#include "DialogParts.h"
#include "collection/MissingSongsModel.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeView>

namespace {

// Picks one of a song's candidates from a drop-down.
class CandidateDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        if (index.column() != MissingSongsModel::NewEntry)
            return QStyledItemDelegate::createEditor(parent, option, index);
        auto* box = new QComboBox(parent);
        box->setObjectName(QStringLiteral("cbCandidates"));
        box->addItems(index.data(MissingSongsModel::CandidatesRole).toStringList());
        // A pick is the answer: no Enter needed to take it.
        connect(box, &QComboBox::activated, this, [this, box] {
            Q_EMIT const_cast<CandidateDelegate*>(this)->commitData(box);
            Q_EMIT const_cast<CandidateDelegate*>(this)->closeEditor(box);
        });
        return box;
    }
    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* box = qobject_cast<QComboBox*>(editor))
            box->setCurrentIndex(index.data(Qt::EditRole).toInt());
    }
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override {
        if (auto* box = qobject_cast<QComboBox*>(editor); box && box->currentIndex() >= 0)
            model->setData(index, box->currentIndex(), Qt::EditRole);
    }
};

} // namespace

FindMissingSongsDialog::FindMissingSongsDialog(MissingSongsModel& model, QWidget* parent)
    : QDialog(parent), model_(model) {
    setObjectName(QStringLiteral("dlgFindMissing"));
    setWindowTitle(QStringLiteral("Find Missing Songs"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        DialogParts::heading(QStringLiteral("Missing songs and where they are now:"), this));
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("lblSummary"));
    summary_->setWordWrap(true);
    layout->addWidget(summary_);
    view_ = new QTreeView(this);
    view_->setObjectName(QStringLiteral("tvMissing"));
    view_->setAccessibleName(QStringLiteral("Missing songs"));
    view_->setUniformRowHeights(true);
    view_->setModel(&model_);
    view_->setItemDelegate(new CandidateDelegate(view_));
    view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                           QAbstractItemView::EditKeyPressed);
    view_->header()->setSectionResizeMode(QHeaderView::Stretch);
    view_->setToolTip(QStringLiteral("Only checked songs are written; double-click a new entry "
                                     "to choose another candidate"));
    // A few hundred playlists open at once; beyond that the user opens the ones to look at.
    if (model_.rowCount() <= 200)
        view_->expandAll();
    layout->addWidget(view_, 1);
    const DialogParts::ButtonRow buttons = DialogParts::confirmAndCancel(
        QStringLiteral("btnOK"), QStringLiteral("OK"), QStyle::SP_DialogOkButton, this);
    layout->addLayout(buttons.layout);
    connect(buttons.confirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(&model_, &MissingSongsModel::countsChanged, this, &FindMissingSongsDialog::showCounts);
    showCounts();
    resize(720, 420);
}

void FindMissingSongsDialog::showCounts() {
    summary_->setText(model_.summary());
}
