#include "PlayListCreation.h"

#include "FolderListing.h"
#include "WalkProgress.h"
#include "common/PathRules.h"
#include "common/UserDialogs.h"
#include "playlists/ListSorting.h"
#include "playlists/PlayListFile.h"

#include <QDir>

#include <algorithm>

QString PlayListNameFor(const QString& folder, const QString& baseFolder) {
    const QString below = folder.mid(baseFolder.size());
    const QStringList names = below.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const QString name =
        names.isEmpty() ? QStringLiteral("PlayList") : names.join(QLatin1String(" - "));
    return name + QLatin1String(".M3U");
}

PlayListCreation::PlayListCreation(TVARdlgCreatePL& values, UserDialogs& dialogs,
                                   WaitWindowRunner runner)
    : values_(values), dialogs_(dialogs), runner_(std::move(runner)) {}

WalkResult PlayListCreation::CreatePlayLists(QStringList& created) {
    created_ = &created;
    folderFiles_.clear();
    values_.edBaseFolder_Text = AddTrailingBackslash(values_.edBaseFolder_Text);
    values_.edPLFolder_Text = AddTrailingBackslash(values_.edPLFolder_Text);
    WalkResult result;
    if (!FolderExists(values_.edBaseFolder_Text))
        dialogs_.showMessage(QLatin1String("Folder doesn't exist:\r") + values_.edBaseFolder_Text);
    else
        result = createBelowBaseFolder();
    folderFiles_.clear();
    created_ = nullptr;
    return result;
}

WalkResult PlayListCreation::createBelowBaseFolder() {
    // A folder that cannot be made shows up when its first playlist cannot be written.
    if (!values_.radInFolders_Checked)
        QDir().mkpath(values_.edBaseFolder_Text + values_.edPLFolder_Text);
    const FolderStep step = [this](const QString& folder) { return CreateFolderPlayList(folder); };
    if (!values_.cbSubFolders_Checked) {
        const StepResult result = step(values_.edBaseFolder_Text);
        return {result.goesOn(), result.error()};
    }
    return runner_(QStringLiteral("Creating Playlists"),
                   QStringLiteral("Currently creating playlist for folder:"),
                   [&] { return WalkFolders(values_.edBaseFolder_Text, step); });
}

StepResult PlayListCreation::CreateFolderPlayList(const QString& folder) {
    folderFiles_.clear();
    if (!ProgressTick(folder))
        return StepResult::stop();
    collectFolderFiles(folder);
    const QString path = playListPath(folder);
    if (!values_.radInFolders_Checked) {
        for (QString& name : folderFiles_)
            name = MakeRelativePath(folder + name, path);
    }
    if (Status saved = SaveFolderPlayList(path); saved.failed())
        return StepResult::fail(saved);
    return StepResult::goOn();
}

void PlayListCreation::collectFolderFiles(const QString& folder) {
    folderFiles_ = MatchesByMasks(folder, MediaMasks);
    if (values_.cbSort_Checked)
        SortLocaleAware(folderFiles_);
}

QString PlayListCreation::playListPath(const QString& folder) const {
    const QString name = PlayListNameFor(folder, values_.edBaseFolder_Text);
    if (values_.radInFolders_Checked)
        return folder + QLatin1Char('_') + name;
    return values_.edBaseFolder_Text + values_.edPLFolder_Text + name;
}

Status PlayListCreation::SaveFolderPlayList(const QString& path) {
    if (folderFiles_.isEmpty())
        return Status::ok();
    EntryList entries;
    for (const QString& name : std::as_const(folderFiles_))
        entries.append(EncodeEntry(name));
    if (WritePlayList(path, entries).isOk()) {
        if (created_)
            created_->append(path);
        return Status::ok();
    }
    WalkProgress* wait = CurrentWaitWindow();
    if (wait)
        wait->setStayOnTop(false);
    dialogs_.showMessage(QLatin1String("Error creating play list:\r") + path);
    if (wait)
        wait->setStayOnTop(true);
    return Status::failure(QLatin1String("Cannot create file ") + path);
}
