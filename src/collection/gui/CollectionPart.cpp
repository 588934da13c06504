#include "CollectionPart.h"

#include "AddPlaylistsDialog.h"
#include "CreatePlaylistsDialog.h"
#include "Mp3CdWizard.h"
#include "WaitWindow.h"

#include "collection/PlayListSeek.h"
#include "common/PathRules.h"

#include "common/PathCaseLookup.h"
#include "common/UserDialogs.h"
#include "platform/FileOperations.h"
#include "playlists/CommandTarget.h"
#include "playlists/PlaylistListModel.h"
#include "playlists/gui/MainWindow.h"
#include "settings/SharedVariables.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>

void CollectionPart::addPlaylists() {
    ProgramContext& context = window_.context();
    TVARdlgAddPL& values = context.vars.dlgAddPL;
    AddPlaylistsDialog dialog(context.dialogs, &window_);
    dialog.radFolder->setChecked(values.radFolder_Checked);
    dialog.cbSubFolders->setChecked(values.cbSubFolders_Checked);
    dialog.edFile->setText(values.edFile_Text);
    dialog.edFolder->setText(values.edFolder_Text);
    if (dialog.exec() != QDialog::Accepted)
        return;
    values.radFolder_Checked = dialog.radFolder->isChecked();
    values.cbSubFolders_Checked = dialog.cbSubFolders->isChecked();
    values.edFile_Text = dialog.edFile->text();
    values.edFolder_Text = dialog.edFolder->text();
    window_.appendPlaylists(dialog.FoundPlayLists);
}

void CollectionPart::createPlaylists() {
    ProgramContext& context = window_.context();
    TVARdlgCreatePL& values = context.vars.dlgCreatePL;
    CreatePlaylistsDialog dialog(values, context.dialogs, &window_);
    dialog.radInFolders->setChecked(values.radInFolders_Checked);
    dialog.edPLFolder->setText(values.edPLFolder_Text);
    dialog.edBaseFolder->setText(values.edBaseFolder_Text);
    dialog.cbSort->setChecked(values.cbSort_Checked);
    dialog.cbSubFolders->setChecked(values.cbSubFolders_Checked);
    if (dialog.exec() != QDialog::Accepted)
        return;
    values.radInFolders_Checked = dialog.radInFolders->isChecked();
    values.edBaseFolder_Text = dialog.edBaseFolder->text();
    values.edPLFolder_Text = dialog.edPLFolder->text();
    values.cbSubFolders_Checked = dialog.cbSubFolders->isChecked();
    values.cbSort_Checked = dialog.cbSort->isChecked();
    window_.appendPlaylists(dialog.CreatedPlayLists);
}

void CollectionPart::removePlaylists(bool deleteFiles) {
    PlaylistListModel& playlists = window_.playlists();
    if (playlists.currentRow() < 0)
        return;
    // The rows are the ones selected now: whatever happens while the question is open.
    const CommandTarget target = CommandTarget::ofPlaylists(playlists);
    UserDialogs& dialogs = window_.context().dialogs;
    if (!dialogs.askYesNo(deleteFiles
                              ? QStringLiteral("Actually delete the selected playlists file(s)?")
                              : QStringLiteral("Remove the selected item(s)?")))
        return;
    if (const Status holds = target.stillHolds(playlists, window_.songs()); holds.failed()) {
        dialogs.showMessage(holds.message());
        return;
    }
    const QList<int>& rows = target.rows();
    if (deleteFiles)
        for (int row : rows)
            FileOperations::deleteFile(resolveExistingPath(playlists.path(row)));
    playlists.removeRowsAt(rows);
    const int current = playlists.count() > 0 ? qMax(rows.isEmpty() ? 0 : rows.first() - 1, 0) : -1;
    if (current >= 0)
        playlists.select(current);
    window_.focusPlaylist(current);
    window_.updateToolButtons();
}

void CollectionPart::makeMp3Cd() {
    ProgramContext& context = window_.context();
    TSharedVariables& vars = context.vars;
    Mp3CdWizard dialog(vars, context.dialogs, context.programPath, &window_);
    dialog.edFolder->setText(vars.dlgAutoCD.edFolder_Text);
    if (dialog.exec() == QDialog::Accepted)
        vars.dlgAutoCD.edFolder_Text = dialog.edFolder->text();
}

namespace {
bool isPlaylistFile(const QFileInfo& file) {
    const QString suffix = file.suffix();
    return file.isFile() && (suffix.compare(QLatin1String("m3u"), Qt::CaseInsensitive) == 0 ||
                             suffix.compare(QLatin1String("pls"), Qt::CaseInsensitive) == 0);
}

// The playlists in a folder and its sub-folders, under the wait window; false when the user
// stopped the search (nothing of that folder is added then, as with Add).
bool seekPlaylistsIn(const QString& path, QStringList& found) {
    const QString folder = AddTrailingBackslash(path);
    QStringList inFolder;
    const FolderStep step = [&inFolder](const QString& f) { return SeekPlayLists(f, inFolder); };
    if (!WaitWindow::RunWalk(QStringLiteral("Adding Playlists"),
                             QStringLiteral("Currently seeking playlists in folder:"),
                             [&] { return WalkFolders(folder, step); })
             .completed)
        return false;
    found += inFolder;
    return true;
}
} // namespace

void CollectionPart::addDroppedFiles(const QStringList& paths) {
    QStringList found;
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            if (!seekPlaylistsIn(path, found))
                break;
        } else if (isPlaylistFile(info)) {
            found.append(info.absoluteFilePath());
        }
    }
    if (!found.isEmpty())
        window_.appendPlaylists(found);
}
