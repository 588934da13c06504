// Removing playlists from the list, or deleting their files.
#include "common/UserDialogs.h"
#include "platform/FileOperations.h"
#include "playlists/gui/MainWindow.h"
#include "settings/SharedVariables.h"

#include <QListWidget>

void MainWindow::btnRemovePLClick(QObject* sender) {
    const bool deleteFiles = sender == miDeletePL;
    if (lbPlayLists->currentRow() < 0)
        return;
    if (!context().dialogs.askYesNo(
            deleteFiles ? QStringLiteral("Actually delete the selected playlists file(s)?")
                        : QStringLiteral("Remove the selected item(s)?")))
        return;
    QStringList& paths = context().vars.PlayLists;
    lbPlayLists->setUpdatesEnabled(false);
    int lowestRemoved = 0;
    // From the last index down, so the indices still to visit stay valid.
    for (int row = lbPlayLists->count() - 1; row >= 0; --row) {
        if (!lbPlayLists->item(row)->isSelected())
            continue;
        lowestRemoved = row;
        delete lbPlayLists->takeItem(row);
        if (deleteFiles)
            FileOperations::deleteFile(paths.at(row));
        paths.removeAt(row);
    }
    if (lbPlayLists->count() > 0) {
        const int current = qMax(lowestRemoved - 1, 0);
        lbPlayLists->setCurrentRow(current, QItemSelectionModel::NoUpdate);
        lbPlayLists->item(current)->setSelected(true);
    }
    lbPlayListsClick();
    lbPlayLists->setUpdatesEnabled(true);
    UpdateToolButtons();
}
