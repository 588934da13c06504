#include "StartupSequence.h"

#include "ProgramContext.h"
#include "TfrmNullMain.h"
#include "common/ScriptFileDialogs.h"
#include "platform/RuntimeFolder.h"
#include "platform/ShellExecute.h"
#include "platform/gui/QtDialogs.h"
#include "playlists/PlayingModule.h"
#include "playlists/gui/MainWindow.h"
#include "settings/SharedVariables.h"
#include "settings/gui/HintSwitch.h"
#include "settings/gui/TdlgAbout.h"

#include <QApplication>

namespace {
// A running copy is asked to take over this copy's command line; false ends this copy.
bool secondInstanceCheckPasses() {
    return true;
}

// The installation and version check; false when a higher installed version took over.
bool installationCheckPasses() {
    return true;
}
} // namespace

int RunPlatterbox(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Platterbox"));
    // Hiding the main window must not end the program; closing it does, through FormClose.
    QApplication::setQuitOnLastWindowClosed(false);

    if (!secondInstanceCheckPasses() || !installationCheckPasses())
        return 0;
    QApplication::setApplicationDisplayName(QStringLiteral("Platterbox"));

    QtDialogs qtDialogs;
    // End-to-end tests answer the program's questions from a script.
    const QString script = qEnvironmentVariable(ScriptFileDialogs::EnvironmentVariable);
    std::unique_ptr<ScriptFileDialogs> scripted;
    if (!script.isEmpty())
        scripted = std::make_unique<ScriptFileDialogs>(script);
    UserDialogs& dialogs = scripted ? static_cast<UserDialogs&>(*scripted) : qtDialogs;
    HintSwitch hints;
    PlayingModule playing(dialogs, Shell::ShellExecute, RuntimeFolder::temporaryPlayListPath());
    QStringList arguments = QApplication::arguments();
    const QString programPath = QApplication::applicationFilePath();
    arguments.removeFirst();

    TfrmNullMain nullMain;
    TfrmPlatterboxMain mainWindow(
        ProgramContext{SharedVariables(), dialogs, hints, playing, programPath, arguments});
    nullMain.setMainWindow(&mainWindow);
    qtDialogs.setParent(&mainWindow);
    TdlgAbout about(&mainWindow);
    QObject::connect(&mainWindow, &TfrmPlatterboxMain::helpRequested, &about, &TdlgAbout::show);
    QObject::connect(&mainWindow, &TfrmPlatterboxMain::terminationRequested, &app,
                     &QApplication::quit, Qt::QueuedConnection);
    app.exec();
    return 0;
}
