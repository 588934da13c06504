// Editing the lists: sorting, removing song entries, editing an entry or a playlist's name.
#include "MainWindow.h"

#include "common/PathRules.h"
#include "common/UserDialogs.h"
#include "platform/FileOperations.h"
#include "playlists/ListSorting.h"
#include "settings/SharedVariables.h"

#include <QFileInfo>
#include <QListWidget>

EntryList MainWindow::songEntries() const {
    EntryList entries;
    for (int row = 0; row < lbMP3Songs->count(); ++row)
        entries << lbMP3Songs->item(row)->data(Qt::UserRole).toByteArray();
    return entries;
}

bool MainWindow::rewriteFocusedPlayList() {
    const QString path = focusedPlayListPath();
    // An extended M3U is written plain (its #EXT lines are not in the list); PLS stays PLS.
    const PlayListFormat format =
        songsFormat_ == PlayListFormat::Pls ? PlayListFormat::Pls : PlayListFormat::PlainM3U;
    if (WritePlayList(path, songEntries(), format).isOk())
        return true;
    context_.dialogs.showMessage(path + QLatin1String("\rUnable to update file!"));
    return false;
}

void MainWindow::miSortClick(QObject* sender) {
    if (sender == miSortPL)
        sortPlayLists();
    else
        sortSongs();
}

void MainWindow::sortPlayLists() {
    QStringList& paths = context_.vars.PlayLists;
    if (paths.isEmpty())
        return;
    const int focus = lbPlayLists->currentRow();
    SortLocaleAware(paths);
    lbPlayLists->clear();
    for (const QString& path : std::as_const(paths))
        lbPlayLists->addItem(ExtractFileName(path));
    lbPlayLists->setCurrentRow(qMax(focus, 0), QItemSelectionModel::NoUpdate);
    lbPlayLists->clearSelection();
    lbPlayListsClick();
}

void MainWindow::sortSongs() {
    if (lbMP3Songs->count() == 0 || focusedPlayListPath().isEmpty())
        return;
    QStringList texts;
    for (int row = 0; row < lbMP3Songs->count(); ++row)
        texts << lbMP3Songs->item(row)->text();
    QList<QListWidgetItem*> items;
    while (lbMP3Songs->count() > 0)
        items << lbMP3Songs->takeItem(0);
    for (qsizetype index : LocaleSortedOrder(texts))
        lbMP3Songs->addItem(items.at(index));
    rewriteFocusedPlayList();
    lbPlayListsClick();
}

void MainWindow::miRemoveItemsClick() {
    if (lbMP3Songs->count() == 0 || focusedPlayListPath().isEmpty())
        return;
    if (!context_.dialogs.askYesNo(QStringLiteral("Remove the selected item(s) from playlist?")))
        return;
    lbMP3Songs->setUpdatesEnabled(false);
    for (int row = lbMP3Songs->count() - 1; row >= 0; --row)
        if (lbMP3Songs->item(row)->isSelected())
            delete lbMP3Songs->takeItem(row);
    rewriteFocusedPlayList();
    lbPlayListsClick();
    lbMP3Songs->setUpdatesEnabled(true);
}

void MainWindow::miEditClick(QObject* sender) {
    if (sender == miEditItem)
        editSongEntry();
    else
        renameFocusedPlayList();
}

void MainWindow::editSongEntry() {
    QListWidgetItem* item = lbMP3Songs->currentItem();
    if (!item || focusedPlayListPath().isEmpty())
        return;
    const QString current = item->text();
    const QString answer =
        context_.dialogs
            .askText(QStringLiteral("Edit item file name"),
                     QStringLiteral("Please enter the new name for the item: "), current)
            .value_or(current);
    if (answer == current)
        return;
    item->setText(answer);
    item->setData(Qt::UserRole, EncodeEntry(answer));
    rewriteFocusedPlayList();
}

void MainWindow::renameFocusedPlayList() {
    const int row = lbPlayLists->currentRow();
    if (row < 0)
        return;
    const QString current = context_.vars.PlayLists.at(row);
    const QString answer =
        context_.dialogs
            .askText(QStringLiteral("Edit playlist file name"),
                     QStringLiteral("Please enter the new name for the playlist: "), current)
            .value_or(current);
    if (answer == current)
        return;
    if (answer.isEmpty() || !FileOperations::moveFile(current, answer)) {
        context_.dialogs.showMessage(QLatin1String("Unable to rename ") + current +
                                     QLatin1String("\rinto ") + answer);
        return;
    }
    // A bare name lands in the current folder; the list keeps where the file really is, so
    // the saved INI file still finds it.
    const QString renamed = QFileInfo(answer).absoluteFilePath();
    context_.vars.PlayLists[row] = renamed;
    lbPlayLists->item(row)->setText(ExtractFileName(renamed));
}
