// The main window's commands that build the collection: Add, Create and the MP3CD wizard.
#include "AddPlaylistsDialog.h"
#include "Mp3CdWizard.h"
#include "CreatePlaylistsDialog.h"
#include "playlists/gui/MainWindow.h"
#include "settings/SharedVariables.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

namespace {
// Found or created playlists join the list selected; the focus then moves to the last one.
void appendPlayLists(MainWindow& window, const QStringList& paths) {
    window.lbPlayLists->setUpdatesEnabled(false);
    for (const QString& path : paths)
        window.AddPlayListItem(path);
    window.AddPlayListItem(QString());
    window.lbPlayLists->setUpdatesEnabled(true);
    window.UpdateToolButtons();
}
} // namespace

void MainWindow::btnAddPLClick() {
    TVARdlgAddPL& values = context().vars.dlgAddPL;
    AddPlaylistsDialog dialog(context().dialogs, this);
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
    appendPlayLists(*this, dialog.FoundPlayLists);
}

void MainWindow::btnCreatePLClick() {
    TVARdlgCreatePL& values = context().vars.dlgCreatePL;
    CreatePlaylistsDialog dialog(values, context().dialogs, this);
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
    appendPlayLists(*this, dialog.CreatedPlayLists);
}

void MainWindow::btnMP3CDClick() {
    TSharedVariables& vars = context().vars;
    Mp3CdWizard dialog(vars, context().dialogs, context().programPath, this);
    dialog.edFolder->setText(vars.dlgAutoCD.edFolder_Text);
    if (dialog.exec() == QDialog::Accepted)
        vars.dlgAutoCD.edFolder_Text = dialog.edFolder->text();
}
