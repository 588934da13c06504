#pragma once

#include "FolderWalk.h"
#include "settings/Settings.h"

class UserDialogs;

// What goes into the root folder of an MP3CD besides the playlists.
namespace Mp3Cd {
inline const QString ProgramFolder = QStringLiteral("Platterbox/");
// The copy keeps the name the program file has on Linux, so that it finds Platterbox.Ini and
// the autorun line names it, whatever the running file is called.
inline const QString ProgramName = QStringLiteral("Platterbox");
inline const QString IniName = QStringLiteral("Platterbox.Ini");
inline const QString AutoRunName = QStringLiteral("AutoRun.INF");
inline const QByteArray AutoRunText = QByteArrayLiteral(
    "[autorun]\r\nOPEN=Platterbox/Platterbox\r\nICON=Platterbox/Platterbox,0\r\n");
// What a Linux desktop offers to run when the disc is mounted (autostart of media).
inline const QString AutoRunScriptName = QStringLiteral("autorun.sh");
inline const QByteArray AutoRunScript =
    QByteArrayLiteral("#!/bin/sh\n"
                      "# Starts the copy of Platterbox on this disc.\n"
                      "cd \"$(dirname \"$0\")\" && exec ./Platterbox/Platterbox \"$@\"\n");
// The wait window while the program and its libraries are copied.
inline const QString CopyCaption = QStringLiteral("Copying Platterbox");
inline const QString CopyHeader = QStringLiteral("Copying Platterbox to your MP3CD:");
} // namespace Mp3Cd

struct Mp3CdJob {
    QString baseFolder;  // ends in "/"
    QString programPath; // the running program file
    Settings& settings;
    UserDialogs& dialogs;
    WaitWindowRunner runner;
};

// Turns the base folder into the root of an MP3CD: a playlist in every music folder, the
// program copy (self-contained: with the libraries and plugins it needs) with its INI file
// listing those playlists, and the autorun files. The copy is made under the wait window and
// put in place only when complete. A failure
// carries the text to show; what earlier steps made stays on disk. The remembered Create
// Playlists values and the listed playlists are the same afterwards.
Status buildMp3Cd(const Mp3CdJob& job);
