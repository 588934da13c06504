#include "CopyToFolderPart.h"

#include "CopyToFolderDialog.h"
#include "common/gui/WaitWindow.h"

#include "collection/CollectionLog.h"
#include "collection/DeviceCopy.h"
#include "base/PathText.h"
#include "common/UserDialogs.h"
#include "playlists/CommandTarget.h"
#include "playlists/PlaylistListModel.h"
#include "playlists/RowSelection.h"
#include "common/gui/WindowServices.h"
#include "common/gui/ProgramContext.h"

#include <optional>

namespace {

const QString Caption = QStringLiteral("Copy to Folder");

QString replaceQuestion(qsizetype count, const QString& folder) {
    return count == 1 ? QStringLiteral("1 file in %1 differs from the song or playlist copied "
                                       "there and would be replaced.\rReplace it?")
                            .arg(folder)
                      : QStringLiteral("%1 files in %2 differ from the songs and playlists "
                                       "copied there and would be replaced.\rReplace them?")
                            .arg(count)
                            .arg(folder);
}

} // namespace

void CopyToFolderPart::copySelectedPlaylists() {
    PlaylistListModel& list = window_.playlists();
    QList<QByteArray> paths;
    const CommandTarget target = CommandTarget::ofPlaylists(list, window_.playlistSelection());
    for (int row : target.rows())
        paths.append(list.path(row));
    if (paths.isEmpty())
        return;
    ProgramContext& context = window_.context();
    UserDialogs& dialogs = context.dialogs;
    CopyToFolderDialog dialog(context.settings.copyTo, dialogs, &window_.widget());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const CopyToInputs inputs = dialog.inputs();
    DeviceCopyOptions options;
    options.target = pathBytes(inputs.folder);
    options.layout =
        inputs.layout == 1 ? DeviceLayout::FolderPerPlaylist : DeviceLayout::KeepFolders;
    options.deviceNames = inputs.deviceNames;
    options.carStereoM3u = inputs.carStereoM3u;

    std::optional<Result<DeviceCopyPlan>> planned;
    (void)WaitWindow::runWalk(Caption, QStringLiteral("Currently reading playlist:"),
                              [&](WalkProgress& progress) {
                                  planned = planDeviceCopy(paths, options, progress);
                                  return WalkResult{planned->isOk(), Status::ok()};
                              });
    if (!planned || planned->failed()) {
        if (!planned->status().message().isEmpty())
            dialogs.showError(planned->status().message());
        return;
    }
    const DeviceCopyPlan& plan = planned->value();
    bool replacing = false;
    if (const qsizetype replaced = plan.replacements(); replaced > 0)
        replacing = dialogs.askYesNo(replaceQuestion(replaced, inputs.folder));
    if (const Status space = checkDeviceSpace(plan, replacing); space.failed()) {
        dialogs.showError(space.message());
        return;
    }
    DeviceCopyResult result;
    WaitWindow::runWalk(Caption, QStringLiteral("Copying songs:"), [&](WalkProgress& progress) {
        result = runDeviceCopy(plan, replacing, progress);
        return WalkResult{!result.aborted, Status::ok()};
    });
    dialogs.showMessage(deviceCopySummary(plan, result));
}
