// The window's one key handler.
#include "MainWindow.h"

#include <QKeyEvent>
#include <QListWidget>

bool MainWindow::keyEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)
        return false;
    FormKeyDown(event->key(), event->modifiers());
    return true;
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (!keyEvent(event))
        QMainWindow::keyPressEvent(event);
}

void MainWindow::FormKeyDown(int key, Qt::KeyboardModifiers modifiers) {
    const bool playLists = focusedList() == lbPlayLists;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool alt = modifiers & Qt::AltModifier;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        btnExecuteClick(playLists ? nullptr : miExecuteSongs);
        break;
    case Qt::Key_Insert:
        if (playLists)
            shift ? btnCreatePLClick() : btnAddPLClick();
        break;
    case Qt::Key_Delete:
        if (playLists)
            btnRemovePLClick(shift ? miDeletePL : nullptr);
        else if (shift)
            miRemoveItemsClick();
        break;
    case Qt::Key_A:
        if (alt)
            miSelectAllClick();
        break;
    case Qt::Key_S:
        if (alt)
            miSortClick(playLists ? miSortPL : miSortSongs);
        break;
    case Qt::Key_F1:
        btnAboutClick();
        break;
    case Qt::Key_F2:
        miEditClick(playLists ? miEditPLfn : miEditItem);
        break;
    default:
        break;
    }
}
