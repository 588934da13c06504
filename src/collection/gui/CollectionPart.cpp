#include "CollectionPart.h"
#include "playlists/PlaylistFile.h"

#include "AddPlaylistsDialog.h"
#include "CreatePlaylistsDialog.h"
#include "Mp3CdWizard.h"
#include "common/gui/WaitWindow.h"

#include "collection/PlaylistSeek.h"
#include "common/PathRules.h"

#include "common/PathCaseLookup.h"
#include "common/UserDialogs.h"
#include "platform/FileOperations.h"
#include "platform/RawNames.h"
#include "playlists/CommandTarget.h"
#include "playlists/PlaylistListModel.h"
#include "playlists/RowSelection.h"
#include "common/gui/TargetCheck.h"
#include "common/gui/WindowServices.h"
#include "common/gui/ProgramContext.h"
#include "settings/Settings.h"

#include <QFileInfo>
#include <QWidget>

void CollectionPart::addPlaylists() {
    ProgramContext& context = window_.context();
    AddPlaylistsInputs& values = context.settings.addPlaylists;
    AddPlaylistsDialog dialog(values, context.dialogs, &window_.widget());
    if (dialog.exec() != QDialog::Accepted)
        return;
    values = dialog.inputs();
    window_.appendPlaylists(dialog.foundPlaylists());
}

void CollectionPart::createPlaylists() {
    ProgramContext& context = window_.context();
    CreatePlaylistsInputs& values = context.settings.createPlaylists;
    // Each Create stores the controls here before it runs; OK stores them once more.
    CreatePlaylistsDialog dialog(values, context.dialogs, &window_.widget());
    if (dialog.exec() != QDialog::Accepted)
        return;
    values = dialog.inputs();
    window_.appendPlaylists(dialog.createdPlaylists());
}

void CollectionPart::removePlaylists(bool deleteFiles) {
    PlaylistListModel& playlists = window_.playlists();
    RowSelection selection = window_.playlistSelection();
    if (selection.currentRow() < 0)
        return;
    // The rows are the ones selected now: whatever happens while the question is open.
    const CommandTarget target = CommandTarget::ofPlaylists(playlists, selection);
    UserDialogs& dialogs = window_.context().dialogs;
    if (!dialogs.askYesNo(deleteFiles
                              ? QStringLiteral("Actually delete the selected playlists file(s)?")
                              : QStringLiteral("Remove the selected item(s)?")))
        return;
    if (!targetStillHolds(window_, target))
        return;
    const QList<int>& rows = target.rows();
    if (deleteFiles)
        for (int row : rows)
            FileOperations::deleteFile(resolveExistingPath(playlists.path(row)));
    playlists.removeRowsAt(rows);
    const int current = playlists.count() > 0 ? qMax(rows.isEmpty() ? 0 : rows.first() - 1, 0) : -1;
    if (current >= 0)
        selection.select(current);
    window_.focusPlaylist(current);
    window_.updateToolButtons();
}

void CollectionPart::makeMp3Cd() {
    ProgramContext& context = window_.context();
    Settings& settings = context.settings;
    Mp3CdWizard dialog(settings, context.dialogs, context.programPath, &window_.widget());
    if (dialog.exec() == QDialog::Accepted)
        settings.mp3Cd = dialog.inputs();
}

// Each dropped folder is searched like Add's tree; a stopped search ends the drop and adds
// nothing of that folder.
void CollectionPart::addDroppedFiles(const QList<QByteArray>& paths) {
    QList<QByteArray> found;
    for (const QByteArray& path : paths) {
        const std::optional<RawNames::FileStatus> status = RawNames::status(path);
        if (!status)
            continue;
        if (status->isFolder) {
            QList<QByteArray> inFolder;
            if (!findPlaylistsIn(path, true, &WaitWindow::runWalk, inFolder))
                break;
            found += inFolder;
        } else if (status->isRegular && hasPlaylistExtension(path)) {
            found.append(path);
        }
    }
    if (!found.isEmpty())
        window_.appendPlaylists(found);
}
