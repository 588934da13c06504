// The two lists' behaviour: the song list follows the focused playlist, clicks, double-clicks,
// the popup, hints over the hovered item, and the drag that reorders playlists.
#include "MainWindow.h"

#include "common/PathRules.h"
#include "common/UserDialogs.h"
#include "playlists/PlayListFile.h"
#include "playlists/PlayingModule.h"

#include <QApplication>
#include <QDrag>
#include <QDropEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QToolTip>

namespace {
const QString DragFormat = QStringLiteral("application/x-platterbox-playlist");
constexpr int DragDistance = 5;
} // namespace

void MainWindow::lbPlayListsClick() {
    if (lbPlayLists->count() == 0) {
        lbMP3Songs->clear();
        return;
    }
    const QString path = focusedPlayListPath();
    lbMP3Songs->clear();
    if (!QFileInfo(path).isFile()) {
        context_.dialogs.showMessage(path + QLatin1String("\rFile Not Found!"));
        return;
    }
    PlayListContent content;
    if (Status loaded = LoadPlayList(path, content); loaded.failed()) {
        context_.dialogs.showMessage(loaded.message());
        return;
    }
    showSongs(content);
}

void MainWindow::showSongs(const PlayListContent& content) {
    songsFormat_ = content.format;
    for (const QByteArray& entry : content.entries) {
        auto* item = new QListWidgetItem(DecodeEntry(entry), lbMP3Songs);
        item->setData(Qt::UserRole, entry);
    }
}

QListWidget* MainWindow::focusedList() {
    // The window's focus widget, so the answer holds while the window is inactive too.
    QWidget* focus = focusWidget();
    if (focus != lbPlayLists && focus != lbMP3Songs) {
        lbPlayLists->setFocus();
        return lbPlayLists;
    }
    return static_cast<QListWidget*>(focus);
}

void MainWindow::lbListsMouseDown(QListWidget* list, Qt::MouseButton button,
                                  Qt::KeyboardModifiers modifiers, const QPoint& position) {
    list->setFocus();
    if (list == lbPlayLists) {
        if (lbPlayLists->count() == 0)
            lbMP3Songs->clear();
        dragStartRow_ = -1;
        const QListWidgetItem* item = lbPlayLists->itemAt(position);
        if (button == Qt::LeftButton && (modifiers & Qt::AltModifier) && item) {
            dragStartRow_ = lbPlayLists->row(item);
            dragStartPosition_ = position;
        }
    }
    if (button == Qt::RightButton)
        popupLists->popup(list->viewport()->mapToGlobal(position));
}

void MainWindow::lbListsDblClick(QListWidget* list) {
    btnExecuteClick(list == lbMP3Songs ? miExecuteSongs : nullptr);
}

QString MainWindow::hintTextFor(QListWidget* list, int row) const {
    if (list == lbPlayLists)
        return context_.vars.PlayLists.value(row);
    return ResolveEntryPath(list->item(row)->text(),
                            AddTrailingBackslash(ExtractFilePath(focusedPlayListPath())));
}

void MainWindow::lbListMouseMove(QListWidget* list, const QPoint& position) {
    const QListWidgetItem* item = list->itemAt(position);
    if (!item) {
        list->setToolTip(QString());
        if (hoveredList_ == list)
            QToolTip::hideText();
        return;
    }
    hoveredList_ = list;
    hoveredItemRect_ = list->visualItemRect(item);
    list->setToolTip(hintTextFor(list, list->row(item)));
}

bool MainWindow::ApplicationEvents1ShowHint(QListWidget* list) {
    const QString text = list->toolTip();
    if (text.isEmpty() || hoveredList_ != list) {
        QToolTip::hideText();
        return false;
    }
    // Over the hovered item, so the full path covers the shortened name.
    lastHintPosition_ = list->viewport()->mapToGlobal(hoveredItemRect_.topLeft()) - QPoint(0, 2);
    // The tooltip adds its own offset from the point it is given.
    QToolTip::showText(lastHintPosition_ - QPoint(2, 16), text, list->viewport(), hoveredItemRect_);
    hintTimer_->start();
    return true;
}

void MainWindow::refreshHint() {
    QListWidget* list = hoveredList_;
    if (!list || !QToolTip::isVisible()) {
        hintTimer_->stop();
        return;
    }
    const QPoint position = list->viewport()->mapFromGlobal(QCursor::pos());
    const QString before = list->toolTip();
    lbListMouseMove(list, position);
    if (list->toolTip() != before && !list->toolTip().isEmpty())
        ApplicationEvents1ShowHint(list);
}

bool MainWindow::listMouseEvent(QListWidget* list, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        lbListsMouseDown(list, mouse->button(), mouse->modifiers(), mouse->position().toPoint());
        // The right button only opens the popup; it must not move the selection.
        return mouse->button() == Qt::RightButton;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const bool wasDragCandidate = dragStartRow_ >= 0;
        dragStartRow_ = -1;
        if (list == lbPlayLists && mouse->button() == Qt::LeftButton) {
            QMetaObject::invokeMethod(this, &MainWindow::lbPlayListsClick, Qt::QueuedConnection);
        }
        return wasDragCandidate || mouse->button() == Qt::RightButton;
    }
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            QMetaObject::invokeMethod(
                this, [this, list] { lbListsDblClick(list); }, Qt::QueuedConnection);
        return false;
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint position = mouse->position().toPoint();
        if (dragStartRow_ >= 0 &&
            (position - dragStartPosition_).manhattanLength() >= DragDistance) {
            const int row = dragStartRow_;
            dragStartRow_ = -1;
            startPlayListDrag(row);
            return true;
        }
        lbListMouseMove(list, position);
        return false;
    }
    case QEvent::ToolTip:
        ApplicationEvents1ShowHint(list);
        return true;
    case QEvent::Leave:
        hintTimer_->stop();
        return false;
    default:
        return false;
    }
}

void MainWindow::startPlayListDrag(int row) {
    auto* drag = new QDrag(lbPlayLists);
    auto* data = new QMimeData;
    data->setData(DragFormat, QByteArray::number(row));
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction);
}

bool MainWindow::lbPlayListsDragOver(QObject* source, const QPoint& position) {
    return source == lbPlayLists && lbPlayLists->itemAt(position) != nullptr;
}

void MainWindow::lbPlayListsDragDrop(QObject* source, const QPoint& position) {
    const QListWidgetItem* target = lbPlayLists->itemAt(position);
    const int from = lbPlayLists->currentRow();
    if (source != lbPlayLists || !target || from < 0)
        return;
    const int to = lbPlayLists->row(target);
    QStringList& paths = context_.vars.PlayLists;
    paths.move(from, to);
    QListWidgetItem* moved = lbPlayLists->takeItem(from);
    lbPlayLists->insertItem(to, moved);
    lbPlayLists->setCurrentRow(to, QItemSelectionModel::NoUpdate);
    moved->setSelected(true);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    for (QListWidget* list : {lbPlayLists, lbMP3Songs}) {
        if (!list)
            continue;
        if (watched == list->viewport()) {
            if (list == lbPlayLists &&
                (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove)) {
                auto* drag = static_cast<QDragMoveEvent*>(event);
                const bool ok = drag->mimeData()->hasFormat(DragFormat) &&
                                lbPlayListsDragOver(drag->source(), drag->position().toPoint());
                ok ? drag->acceptProposedAction() : drag->ignore();
                if (event->type() == QEvent::DragEnter && drag->mimeData()->hasFormat(DragFormat))
                    drag->accept(); // keep receiving moves to re-evaluate each position
                return true;
            }
            if (list == lbPlayLists && event->type() == QEvent::Drop) {
                auto* drop = static_cast<QDropEvent*>(event);
                lbPlayListsDragDrop(drop->source(), drop->position().toPoint());
                drop->acceptProposedAction();
                return true;
            }
            return listMouseEvent(list, event);
        }
    }
    if ((watched == lbPlayLists || watched == lbMP3Songs) && event->type() == QEvent::KeyPress)
        return keyEvent(static_cast<QKeyEvent*>(event));
    return QMainWindow::eventFilter(watched, event);
}
