// The window's one key handler: every key of the lists and the window lands here.
#include "MainWindow.h"

#include "playlists/gui/ListEditingPart.h"

#include "collection/gui/CollectionPart.h"

#include <QKeyEvent>

bool MainWindow::handleKey(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return false;
    const List list = focusedList();
    const bool playlists = list == List::Playlists;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool alt = event->modifiers() & Qt::AltModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        execute(list);
        break;
    case Qt::Key_Insert:
        if (playlists)
            shift ? collection_->createPlaylists() : collection_->addPlaylists();
        break;
    case Qt::Key_Delete:
        if (playlists)
            collection_->removePlaylists(shift);
        else if (shift)
            editing_->removeSongs();
        break;
    case Qt::Key_A:
        if (alt)
            selectAll(list);
        break;
    case Qt::Key_S:
        if (alt)
            playlists ? editing_->sortPlaylists() : editing_->sortSongs();
        break;
    case Qt::Key_Up:
    case Qt::Key_Down:
        // Reordering without a drag, which many window managers take for moving the window.
        if (playlists && ctrl)
            editing_->moveSelectedPlaylists(key == Qt::Key_Up ? -1 : 1);
        break;
    case Qt::Key_F1:
        Q_EMIT helpRequested();
        break;
    case Qt::Key_F2:
        playlists ? editing_->renamePlaylist() : editing_->editSong();
        break;
    default:
        break;
    }
    // Every other key is swallowed too: the lists move only by this table and the mouse.
    return true;
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (!handleKey(event))
        QMainWindow::keyPressEvent(event);
}
