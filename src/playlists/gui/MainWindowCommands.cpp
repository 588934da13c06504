// Executing the selection, selecting all, and the popup menu's states.
#include "MainWindow.h"

#include "common/PathRules.h"
#include "playlists/PlayingModule.h"

#include <QListWidget>
#include <QMenu>

QStringList MainWindow::selectedPlayListPaths() const {
    QStringList paths;
    for (int row = 0; row < lbPlayLists->count(); ++row)
        if (lbPlayLists->item(row)->isSelected())
            paths << context_.vars.PlayLists.value(row);
    return paths;
}

QStringList MainWindow::selectedSongTexts() const {
    QStringList songs;
    for (int row = 0; row < lbMP3Songs->count(); ++row)
        if (lbMP3Songs->item(row)->isSelected())
            songs << lbMP3Songs->item(row)->text();
    return songs;
}

void MainWindow::btnExecuteClick(QObject* sender) {
    const TVARdlgPreferences& options = context_.vars.dlgPreferences;
    if (sender != miExecuteSongs) {
        context_.playing.ExecuteSelectedPlayLists(selectedPlayListPaths(), options);
        return;
    }
    // Songs need the focused playlist's folder to resolve against.
    const QString playList = focusedPlayListPath();
    if (playList.isEmpty())
        return;
    context_.playing.ExecuteSelectedSongs(selectedSongTexts(),
                                          AddTrailingBackslash(ExtractFilePath(playList)), options);
}

void MainWindow::miSelectAllClick() {
    QListWidget* list = focusedList();
    list->setUpdatesEnabled(false);
    for (int row = 0; row < list->count(); ++row)
        list->item(row)->setSelected(true);
    list->setUpdatesEnabled(true);
}

void MainWindow::popupListsPopup() {
    QListWidget* list = focusedList();
    const bool pl = list == lbPlayLists;
    const bool sel = !list->selectedItems().isEmpty();
    const bool items = list->count() > 0;
    struct State {
        QAction* item;
        bool visible;
        bool enabled;
    };
    const State states[] = {
        {miExecutePL, pl, pl && sel},     {miExecuteSongs, !pl, !pl && sel},
        {miSelectAll, true, items},       {miSortPL, pl, pl && items},
        {miSortSongs, !pl, !pl && items}, {miAddPL, pl, true},
        {miCreatePL, pl, true},           {miEditPLfn, pl, pl && items},
        {miEditItem, !pl, !pl && items},  {miRemovePL, pl, pl && sel},
        {miDeletePL, pl, pl && sel},      {miRemoveItems, !pl, !pl && sel},
    };
    for (const State& state : states) {
        state.item->setVisible(state.visible);
        state.item->setEnabled(state.enabled);
    }
    popupLists->setDefaultAction(pl ? miExecutePL : miExecuteSongs);
}
