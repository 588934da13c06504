#include "Mp3CdBuilder.h"

#include "FolderListing.h"
#include "PlayListCreation.h"
#include "platform/FileOperations.h"
#include "settings/InstanceIni.h"

#include <QDir>
#include <QFile>

namespace {

// Playlists in every music folder, sorted, with the Create Playlists values put back after.
Status createCdPlayLists(const Mp3CdJob& job, QStringList& created) {
    const TVARdlgCreatePL saved = job.vars.dlgCreatePL;
    TVARdlgCreatePL& values = job.vars.dlgCreatePL;
    values.radInFolders_Checked = true;
    values.edBaseFolder_Text = job.baseFolder;
    values.cbSubFolders_Checked = true;
    values.cbSort_Checked = true;
    const WalkResult run =
        PlayListCreation(values, job.dialogs, job.runner).CreatePlayLists(created);
    job.vars.dlgCreatePL = saved;
    if (run.error.failed())
        return run.error;
    if (!run.completed)
        return Status::failure(QStringLiteral("Error creating playlists!"));
    return Status::ok();
}

Status copyProgram(const QString& programPath, const QString& programFolder) {
    const QString copy = programFolder + Mp3Cd::ProgramName;
    if (!FileOperations::copyFileReplacing(programPath, copy))
        return Status::failure(
            QStringLiteral("Unable to copy Platterbox's .EXE file to destination folder!"));
    QFile::setPermissions(copy, QFile::permissions(copy) | QFile::ExeOwner | QFile::ExeGroup |
                                    QFile::ExeOther);
    return Status::ok();
}

// The INI file with the CD's playlists in place of the listed ones; it reports its own errors.
void writeCdIni(const Mp3CdJob& job, QStringList& created, const QString& programFolder) {
    job.vars.PlayLists.swap(created);
    SaveIniFile(programFolder + Mp3Cd::IniName, job.vars, job.dialogs);
    job.vars.PlayLists.swap(created);
}

} // namespace

Status BuildMp3Cd(const Mp3CdJob& job) {
    const QString& base = job.baseFolder;
    if (!FolderExists(base))
        return Status::failure(QStringLiteral("Folder specified was not found!"));
    QStringList created;
    if (Status made = createCdPlayLists(job, created); made.failed())
        return made;
    const QString programFolder = base + Mp3Cd::ProgramFolder;
    if (!QDir().mkpath(programFolder))
        return Status::failure(programFolder + QLatin1String("\rFolder could not be created!"));
    if (Status copied = copyProgram(job.programPath, programFolder); copied.failed())
        return copied;
    writeCdIni(job, created, programFolder);
    if (FileOperations::writeFileAtomically(base + Mp3Cd::AutoRunName, Mp3Cd::AutoRunText).failed())
        return Status::failure(QStringLiteral("AUTORUN.INF file could not be written!"));
    return Status::ok();
}
