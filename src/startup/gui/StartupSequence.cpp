#include "StartupSequence.h"

#include "HandOffHandler.h"
#include "InstanceChannel.h"
#include "ProgramContext.h"
#include "TfrmNullMain.h"
#include "common/ScriptFileDialogs.h"
#include "platform/ProgramStarter.h"
#include "platform/RuntimeFolder.h"
#include "platform/ShellExecute.h"
#include "platform/gui/QtDialogs.h"
#include "platform/gui/TerminationSignals.h"
#include "playlists/PlayingModule.h"
#include "playlists/gui/MainWindow.h"
#include "settings/SharedVariables.h"
#include "settings/gui/HintSwitch.h"
#include "settings/gui/TdlgAbout.h"
#include "startup/HandOffPath.h"
#include "startup/Installation.h"

#include <QApplication>
#include <QDir>

int RunPlatterbox(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Platterbox"));
    // Hiding the main window must not end the program; closing it does, through FormClose.
    QApplication::setQuitOnLastWindowClosed(false);
    QStringList arguments = QApplication::arguments();
    const QString programPath = QApplication::applicationFilePath();
    arguments.removeFirst();

    // A running copy takes over this copy's command line; this copy then ends.
    InstanceChannel instances(RuntimeFolder::path());
    if (instances.claimOrHandOver(HandOffCommandLine(
            programPath, arguments, QDir::currentPath())) == InstanceChannel::Role::HandedOver)
        return 0;

    QtDialogs qtDialogs;
    // End-to-end tests answer the program's questions from a script.
    const QString script = qEnvironmentVariable(ScriptFileDialogs::EnvironmentVariable);
    std::unique_ptr<ScriptFileDialogs> scripted;
    if (!script.isEmpty())
        scripted = std::make_unique<ScriptFileDialogs>(script);
    UserDialogs& dialogs = scripted ? static_cast<UserDialogs&>(*scripted) : qtDialogs;

    // A higher installed version started in this copy's place ends this copy.
    if (RunInstallationCheck(dialogs, programPath, ProgramStarter::startDetached) ==
        InstallationOutcome::HandedOver)
        return 0;
    QApplication::setApplicationDisplayName(QStringLiteral("Platterbox"));

    HintSwitch hints;
    PlayingModule playing(dialogs, Shell::ShellExecute, RuntimeFolder::temporaryPlayListPath());

    TfrmNullMain nullMain;
    TfrmPlatterboxMain mainWindow(
        ProgramContext{SharedVariables(), dialogs, hints, playing, programPath, arguments});
    nullMain.setMainWindow(&mainWindow);
    qtDialogs.setParent(&mainWindow);
    TdlgAbout about(&mainWindow);
    QObject::connect(&mainWindow, &TfrmPlatterboxMain::helpRequested, &about, &TdlgAbout::show);
    QObject::connect(&mainWindow, &TfrmPlatterboxMain::terminationRequested, &app,
                     &QApplication::quit, Qt::QueuedConnection);
    // Logging out or `kill` closes the window as the close box does, so nothing is lost.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::requested, &mainWindow,
                     &TfrmPlatterboxMain::close);
    HandOffHandler handOff(mainWindow);
    instances.setHandler(
        [&handOff](const QStringList& commandLine) { handOff.handle(commandLine); });
    app.exec();
    return 0;
}
