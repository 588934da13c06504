#include "FindMissingSongsDialog.h"

#include "DialogParts.h"
#include "collection/MissingSongsModel.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTimer>
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
        box->setObjectName(QStringLiteral("candidateBox"));
        box->addItems(index.data(MissingSongsModel::CandidatesRole).toStringList());
        // A pick is the answer: no Enter needed to take it.
        connect(box, &QComboBox::activated, this, [this, box] {
            Q_EMIT const_cast<CandidateDelegate*>(this)->commitData(box);
            Q_EMIT const_cast<CandidateDelegate*>(this)->closeEditor(box);
        });
        // Opened to choose from, whether by the mouse or a key.
        QTimer::singleShot(0, box, &QComboBox::showPopup);
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
    setObjectName(QStringLiteral("findMissingSongsDialog"));
    setWindowTitle(QStringLiteral("Find Missing Songs"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        DialogParts::heading(QStringLiteral("Missing songs and where they are now:"), this));
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("summaryLabel"));
    summary_->setWordWrap(true);
    layout->addWidget(summary_);
    view_ = new QTreeView(this);
    view_->setObjectName(QStringLiteral("missingView"));
    view_->setAccessibleName(QStringLiteral("Missing songs"));
    view_->setUniformRowHeights(true);
    view_->setModel(&model_);
    view_->setItemDelegate(new CandidateDelegate(view_));
    view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                           QAbstractItemView::EditKeyPressed);
    view_->header()->setSectionResizeMode(QHeaderView::Stretch);
    view_->setToolTip(QStringLiteral("Only checked songs are written; double-click a new entry "
                                     "(or press F2) to choose another candidate"));
    // A few hundred playlists open at once; beyond that the user opens the ones to look at.
    if (model_.rowCount() <= 200)
        view_->expandAll();
    layout->addWidget(view_, 1);
    const DialogParts::ButtonRow buttons = DialogParts::confirmAndCancel(
        QStringLiteral("okButton"), QStringLiteral("OK"), QStyle::SP_DialogOkButton, this);
    layout->addLayout(buttons.layout);
    connect(buttons.confirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(&model_, &MissingSongsModel::countsChanged, this, &FindMissingSongsDialog::showCounts);
    view_->installEventFilter(this);
    showCounts();
    resize(720, 420);
}

// F2, Alt+Down or F4 on a song with candidates opens their drop-down, wherever in the row the
// focus is. Enter confirms the dialog, as in every dialog, also right after a pick.
bool FindMissingSongsDialog::eventFilter(QObject* watched, QEvent* event) {
    // An open drop-down has its own keys.
    const auto* open = view_->findChild<QComboBox*>();
    if (watched != view_ || event->type() != QEvent::KeyPress || (open && open->isVisible()))
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool opens = key->key() == Qt::Key_F2 || key->key() == Qt::Key_F4 ||
                       (key->key() == Qt::Key_Down && key->modifiers() == Qt::AltModifier);
    const QModelIndex entry = view_->currentIndex().siblingAtColumn(MissingSongsModel::NewEntry);
    if (!opens || !(entry.flags() & Qt::ItemIsEditable))
        return QDialog::eventFilter(watched, event);
    view_->setCurrentIndex(entry);
    view_->edit(entry);
    return true;
}

void FindMissingSongsDialog::showCounts() {
    summary_->setText(model_.summary());
}
