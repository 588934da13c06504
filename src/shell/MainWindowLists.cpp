// The two lists' behaviour: the song list follows the focused playlist, clicks, double-clicks,
// the popup, hints over the hovered item, the drag that reorders playlists, and files dropped
// from a file manager.
#include "MainWindow.h"

#include "playlists/gui/ItemHint.h"
#include "playlists/gui/ListEditingPart.h"

#include "collection/gui/CollectionPart.h"
#include "common/PathCaseLookup.h"
#include "base/TextDecoding.h"
#include "common/UserDialogs.h"
#include "playlists/PlaylistListModel.h"
#include "playlists/PlaylistsLog.h"
#include "platform/RawNames.h"
#include "playlists/SongListModel.h"

#include <QDrag>
#include <QDropEvent>
#include <QFileInfo>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>

namespace {
const QString DragFormat = QStringLiteral("application/x-platterbox-playlist");
constexpr int DragDistance = 5;
} // namespace

QListView* MainWindow::listView(List list) const {
    return list == List::Songs ? songView_ : playlistView_;
}

MainWindow::List MainWindow::focusedList() {
    // The window's focus widget, so the answer holds while the window is inactive too.
    if (focusWidget() == songView_)
        return List::Songs;
    if (focusWidget() != playlistView_)
        playlistView_->setFocus();
    return List::Playlists;
}

RowSelection MainWindow::playlistSelection() {
    return RowSelection(*playlistView_->selectionModel());
}

RowSelection MainWindow::songSelection() {
    return RowSelection(*songView_->selectionModel());
}

void MainWindow::focusList(List list) {
    listView(list)->setFocus();
}

void MainWindow::selectAll(List list) {
    if (list == List::Songs) {
        // Every song: a long list is read to the end first.
        songs_->finishReading();
        songSelection().selectAll();
    } else
        playlistSelection().selectAll();
}

void MainWindow::playlistFocusChanged() {
    focusMovedByPress_ = true;
    showFocusedPlaylist();
}

void MainWindow::focusPlaylist(int row) {
    RowSelection selection = playlistSelection();
    const bool moves = selection.currentRow() != row;
    selection.setCurrentRow(row);
    if (!moves)
        showFocusedPlaylist();
}

void MainWindow::showFocusedPlaylist() {
    const QByteArray path = playlists_->adoptDiskSpelling(playlistSelection().currentRow());
    if (path.isEmpty()) {
        songs_->clear();
        return;
    }
    // A pipe or a device in the playlist's place is refused by the loading, with its reason.
    const QByteArray onDisk = resolveExistingPath(path);
    const std::optional<RawNames::FileStatus> file = RawNames::status(onDisk);
    if (!file || file->isFolder) // the loading logs its own failures
        qCWarning(lcPlaylists).nospace()
            << "showing " << onDisk << ": " << (file ? "a folder" : "not found");
    Status loaded = file && !file->isFolder
                        ? songs_->load(path, onDisk)
                        : Status::failure(decodeText(path) + QLatin1String("\rFile Not Found!"));
    if (loaded.isOk())
        return;
    songs_->clear();
    // Told once the event that moved the focus is over, not in the middle of a press.
    QTimer::singleShot(
        0, this, [this, message = loaded.message()] { context_.dialogs.showMessage(message); });
}

bool MainWindow::mousePress(QListView* view, QMouseEvent* event) {
    hideHint();
    view->setFocus();
    const QPoint position = event->position().toPoint();
    if (view == playlistView_) {
        focusMovedByPress_ = false;
        dragStartRow_ = -1;
        const QModelIndex index = view->indexAt(position);
        if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::AltModifier) &&
            index.isValid()) {
            dragStartRow_ = index.row();
            dragStartPosition_ = position;
        }
    }
    if (event->button() == Qt::RightButton) {
        popupListsMenu(view->viewport()->mapToGlobal(position));
        // The right button only opens the popup; it must not move the selection.
        return true;
    }
    // A press below the items leaves the selection as it is.
    return !view->indexAt(position).isValid();
}

bool MainWindow::mouseRelease(QListView* view, QMouseEvent* event) {
    const bool wasDragCandidate = dragStartRow_ >= 0;
    dragStartRow_ = -1;
    // A click on the focused playlist reads its file again.
    if (view == playlistView_ && event->button() == Qt::LeftButton && !focusMovedByPress_ &&
        view->indexAt(event->position().toPoint()).isValid())
        showFocusedPlaylist();
    focusMovedByPress_ = false;
    return wasDragCandidate || event->button() == Qt::RightButton;
}

bool MainWindow::mouseMove(QListView* view, QMouseEvent* event) {
    const QPoint position = event->position().toPoint();
    if (dragStartRow_ >= 0 && (position - dragStartPosition_).manhattanLength() >= DragDistance) {
        const int row = dragStartRow_;
        dragStartRow_ = -1;
        startPlaylistDrag(row);
        return true;
    }
    trackHover(view, position);
    return false;
}

bool MainWindow::listEvent(QListView* view, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        return mousePress(view, static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease:
        return mouseRelease(view, static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonDblClick: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            QMetaObject::invokeMethod(
                this, [this, view] { execute(view == songView_ ? List::Songs : List::Playlists); },
                Qt::QueuedConnection);
        // On empty space it executes the current selection, and is kept from the list, which
        // would take it for a press there and clear the selection.
        return !view->indexAt(mouse->position().toPoint()).isValid();
    }
    case QEvent::MouseMove:
        return mouseMove(view, static_cast<QMouseEvent*>(event));
    case QEvent::ToolTip:
        showHint(view);
        return true;
    case QEvent::Leave:
        // Showing the hint can make the toolkit report a Leave while the pointer stays; the
        // hint's timer looks where the pointer really is.
        return false;
    default:
        return false;
    }
}

void MainWindow::startPlaylistDrag(int row) {
    auto* drag = new QDrag(playlistView_);
    auto* data = new QMimeData;
    data->setData(DragFormat, QByteArray::number(row));
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction);
}

namespace {
// The files' paths as bytes: a URL carries a name that is not UTF-8 percent-encoded, which
// QUrl::toLocalFile() would decode with replacement marks.
QList<QByteArray> localFiles(const QMimeData* data) {
    QList<QByteArray> files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            files.append(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
    return files;
}
} // namespace

// Files from a file manager: taken anywhere on the list, copied in, never moved.
bool MainWindow::fileDragEvent(QEvent* event) {
    auto* drop = static_cast<QDropEvent*>(event);
    if (drop->source() == playlistView_ || localFiles(drop->mimeData()).isEmpty())
        return false;
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (event->type() == QEvent::Drop) {
        const QList<QByteArray> files = localFiles(drop->mimeData());
        // After the drop is over, so the file manager is not kept waiting by the search.
        QTimer::singleShot(0, this, [this, files] { collection_->addDroppedFiles(files); });
    }
    return true;
}

bool MainWindow::dragEvent(QEvent* event) {
    if (fileDragEvent(event))
        return true;
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        const bool ours =
            drag->mimeData()->hasFormat(DragFormat) && drag->source() == playlistView_;
        const bool onItem = playlistView_->indexAt(drag->position().toPoint()).isValid();
        ours&& onItem ? drag->acceptProposedAction() : drag->ignore();
        if (event->type() == QEvent::DragEnter && ours)
            drag->accept(); // keep receiving moves to re-evaluate each position
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        const QModelIndex target = playlistView_->indexAt(drop->position().toPoint());
        if (drop->mimeData()->hasFormat(DragFormat) && drop->source() == playlistView_ &&
            target.isValid()) {
            const int from = drop->mimeData()->data(DragFormat).toInt();
            editing_->movePlaylist(from, target.row());
            drop->acceptProposedAction();
        }
        return true;
    }
    return false;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    for (QListView* view : {playlistView_, songView_}) {
        if (!view || watched != view->viewport())
            continue;
        if (view == playlistView_ &&
            (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
             event->type() == QEvent::Drop))
            return dragEvent(event);
        return listEvent(view, event);
    }
    if ((watched == playlistView_ || watched == songView_) && event->type() == QEvent::KeyPress)
        return handleKey(static_cast<QKeyEvent*>(event));
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::trackHover(QListView* view, const QPoint& position) {
    const QModelIndex index = view->indexAt(position);
    if (!index.isValid()) {
        hoveredText_.clear();
        if (hoveredView_ == view)
            hideHint();
        return;
    }
    const QString text = index.data(Qt::ToolTipRole).toString();
    // A song found missing while its hint is up changes the hint's text.
    const bool changed =
        hoveredView_ != view || hoveredItemRect_ != view->visualRect(index) || text != hoveredText_;
    hoveredView_ = view;
    hoveredItemRect_ = view->visualRect(index);
    hoveredText_ = text;
    // A hint already up follows the pointer to the next item at once.
    if (changed && hint_->isVisible())
        showHint(view);
}

bool MainWindow::showHint(QListView* view) {
    if (hoveredText_.isEmpty() || hoveredView_ != view) {
        hideHint();
        return false;
    }
    // Over the hovered item, so the full path covers the shortened name; the pointer rests
    // on the item below it, since the hint lets the pointer through.
    lastHintPosition_ = view->viewport()->mapToGlobal(hoveredItemRect_.topLeft()) - QPoint(0, 2);
    hint_->showAt(lastHintPosition_, hoveredText_);
    hintTimer_->start();
    return true;
}

void MainWindow::hideHint() {
    hintTimer_->stop();
    hint_->hide();
}

// The list's own Leave is not to be trusted while the hint is up, and it sees no moves while the
// pointer rests: where the pointer really is decides.
void MainWindow::refreshHint() {
    QListView* view = hoveredView_;
    if (!view || !hint_->isVisible() || !view->isVisible() || isMinimized()) {
        hideHint();
        return;
    }
    const QPoint position = view->viewport()->mapFromGlobal(QCursor::pos());
    if (!view->viewport()->rect().contains(position)) {
        hoveredText_.clear();
        hideHint();
        return;
    }
    trackHover(view, position);
}
