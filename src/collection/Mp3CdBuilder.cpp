#include "Mp3CdBuilder.h"

#include "CollectionLog.h"

#include "FolderListing.h"
#include "PlaylistCreation.h"
#include "ProgramBundle.h"
#include "common/WalkProgress.h"
#include "base/PathText.h"
#include "platform/FileOperations.h"
#include "platform/WriteLeftovers.h"
#include "settings/InstanceIni.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// Playlists in every music folder, sorted, with the Create Playlists values put back after.
Status createCdPlaylists(const Mp3CdJob& job, QList<QByteArray>& created) {
    const CreatePlaylistsInputs saved = job.settings.createPlaylists;
    CreatePlaylistsInputs& values = job.settings.createPlaylists;
    values.inMusicFolders = true;
    values.baseFolder = job.baseFolder;
    values.withSubFolders = true;
    values.sorted = true;
    const WalkResult run =
        PlaylistCreation(values, job.dialogs, job.runner).createPlaylists(created);
    job.settings.createPlaylists = saved;
    if (run.error.failed())
        return run.error; // logged where it failed
    if (!run.completed) {
        qCWarning(lcCollection) << "the CD's playlists: stopped before the end";
        return Status::failure(QStringLiteral("Error creating playlists!"));
    }
    return Status::ok();
}

const QString CopyFailed =
    QStringLiteral("Unable to copy Platterbox's .EXE file to destination folder!");

WalkResult copyFiles(const QList<BundleFile>& files, const QString& stage, WalkProgress& progress) {
    for (const BundleFile& file : files) {
        if (!progress.tick(file.target))
            return {};
        const QString target = stage + file.target;
        if (!QDir().mkpath(QFileInfo(target).absolutePath())) {
            qCWarning(lcCollection) << "cannot make the folder of" << target;
            return {false, Status::failure(CopyFailed)};
        }
        // The program starts from the CD whatever the mode of the file it was copied from.
        const std::optional<unsigned> permissions =
            file.target == Mp3Cd::ProgramName ? std::optional<unsigned>(0755) : std::nullopt;
        if (!FileOperations::copyFileReplacing(file.source, target, permissions))
            return {false, Status::failure(CopyFailed)}; // the copy logged why
    }
    return {true, Status::ok()};
}

// Replaces the previous copy's pieces, the program last, so it never stands without them.
bool moveIntoPlace(const QString& stage, const QString& programFolder) {
    const QStringList pieces = {QStringLiteral("lib"), QStringLiteral("plugins"),
                                QStringLiteral("qt.conf"), Mp3Cd::ProgramName};
    for (const QString& piece : pieces) {
        const QString target = programFolder + piece;
        if (QFileInfo(target).isDir() && !QFileInfo(target).isSymLink())
            QDir(target).removeRecursively();
        else
            QFile::remove(target);
        if (!QDir().rename(stage + piece, target)) {
            qCWarning(lcCollection) << "moving" << stage + piece << "to" << target << "failed";
            return false;
        }
    }
    return true;
}

// The program with its libraries and plugins, assembled in a hidden folder beside its place:
// a failure or an abort leaves no half-written copy behind.
Status copyProgram(const Mp3CdJob& job, const QString& programFolder) {
    const Result<QList<BundleFile>> files =
        ProgramBundle::collect(job.programPath, Mp3Cd::ProgramName);
    if (files.failed())
        return Status::failure(CopyFailed); // the gathering logged why
    QTemporaryDir staging(programFolder + QLatin1String(".copy-XXXXXX"));
    if (!staging.isValid()) {
        qCWarning(lcCollection).nospace() << "cannot make a staging folder in " << programFolder
                                          << ": " << qUtf8Printable(staging.errorString());
        return Status::failure(CopyFailed);
    }
    const QString stage = staging.path() + QLatin1Char('/');
    const WalkResult run =
        job.runner(Mp3Cd::CopyCaption, Mp3Cd::CopyHeader, [&](WalkProgress& progress) {
            return copyFiles(files.value(), stage, progress);
        });
    if (!run.completed) {
        // A failed copy logged its cause.
        if (run.error.isOk())
            qCWarning(lcCollection) << "copying the program: stopped before the end";
        return Status::failure(CopyFailed);
    }
    if (FileOperations::writeFile(stage + QStringLiteral("qt.conf"), ProgramBundle::QtConf)
            .failed())
        return Status::failure(CopyFailed); // the write logged why
    if (!moveIntoPlace(stage, programFolder))
        return Status::failure(CopyFailed);
    qCDebug(lcCollection) << "copied the program and" << files->size() - 1 << "files it needs to"
                          << programFolder;
    return Status::ok();
}

Status writeAutoRun(const QString& base) {
    const QString script = base + Mp3Cd::AutoRunScriptName;
    const Status info = FileOperations::writeFile(base + Mp3Cd::AutoRunName, Mp3Cd::AutoRunText);
    FileOperations::WriteOptions executable;
    executable.permissions = 0755;
    const Status run =
        info.failed() ? info : FileOperations::writeFile(script, Mp3Cd::AutoRunScript, executable);
    if (run.isOk())
        return Status::ok();
    // The failed write logged its cause.
    return Status::failure(QStringLiteral("AUTORUN.INF file could not be written!"));
}

// The INI file with the CD's playlists in place of the listed ones; it reports its own errors.
void writeCdIni(const Mp3CdJob& job, const QList<QByteArray>& created,
                const QString& programFolder) {
    writeInstanceIni(programFolder + Mp3Cd::IniName, job.settings, created, job.dialogs);
}

} // namespace

Status buildMp3Cd(const Mp3CdJob& job) {
    const QString& base = job.baseFolder;
    if (!folderExists(base)) {
        qCWarning(lcCollection) << "making a CD: no folder" << base;
        return Status::failure(QStringLiteral("Folder specified was not found!"));
    }
    // What a killed earlier run or edit left in the folders that go onto the CD.
    const QString programFolder = base + Mp3Cd::ProgramFolder;
    for (const QString& folder : {base, programFolder})
        WriteLeftovers::removeIn(pathBytes(folder));
    QList<QByteArray> created;
    if (Status made = createCdPlaylists(job, created); made.failed())
        return made;
    if (!QDir().mkpath(programFolder)) {
        qCWarning(lcCollection) << "cannot make the program folder" << programFolder;
        return Status::failure(programFolder + QLatin1String("\rFolder could not be created!"));
    }
    if (Status copied = copyProgram(job, programFolder); copied.failed())
        return copied;
    writeCdIni(job, created, programFolder);
    return writeAutoRun(base);
}
