#include "StartupSequence.h"
#include "base/PathText.h"

#include "startup/gui/HandOffPart.h"
#include "startup/gui/InstanceChannel.h"
#include "common/gui/ProgramContext.h"
#include "NullMainWindow.h"
#include "common/UserDialogs.h"
#include "platform/ProgramStarter.h"
#include "platform/RawNames.h"
#include "platform/RuntimeFolder.h"
#include "platform/DesktopLauncher.h"
#include "platform/gui/QtDialogs.h"
#include "platform/gui/TaskbarButton.h"
#include "platform/gui/TerminationSignals.h"
#include "playlists/PlayingModule.h"
#include "MainWindow.h"
#include "settings/RegistrySettings.h"
#include "settings/SettingsTable.h"
#include "settings/TypedRegistry.h"
#include "settings/Settings.h"
#include "settings/gui/HintSwitch.h"
#include "settings/gui/HelpDialog.h"
#include "startup/CommandLine.h"
#include "startup/HandOffPath.h"
#include "startup/Installation.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QSystemTrayIcon>

#include <cstdio>
#include <memory>

namespace {
// The placeholder, the main window and the help dialog, then the message loop until the main
// window closes.
void runWindows(UserDialogs& dialogs, QtDialogs& qtDialogs, InstanceChannel& instances,
                const QString& programPath, const QStringList& arguments) {
    Settings settings; // the one settings record, handed to the window
    HintSwitch hints;
    PlayingModule playing(dialogs, Shell::openWithVerb, RuntimeFolder::temporaryPlaylistPath());

    NullMainWindow nullMain;
    MainWindow mainWindow(
        ProgramContext{settings, dialogs, hints, playing, programPath, arguments});
    nullMain.setMainWindow(&mainWindow);
    qtDialogs.setParent(&mainWindow);
    // Made when first asked for: its texts are not needed before the window shows.
    std::unique_ptr<HelpDialog> about;
    QObject::connect(&mainWindow, &MainWindow::helpRequested, &mainWindow, [&] {
        if (!about)
            about = std::make_unique<HelpDialog>(&mainWindow);
        about->show();
    });
    QObject::connect(&mainWindow, &MainWindow::terminationRequested, qApp, &QApplication::quit,
                     Qt::QueuedConnection);
    // Logging out or `kill` closes the window as the close box does, so nothing is lost.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::requested, &mainWindow,
                     &MainWindow::terminate);
    instances.setHandler(
        [&mainWindow](const QStringList& commandLine, InstanceChannel::Reply reply) {
            mainWindow.handOff().receive(commandLine, std::move(reply));
        });
    QApplication::exec();
    // The handler goes with this scope; later copies are not served any more.
    instances.setHandler({});
}
// The questions asked before the main window is there (a copy that does not respond, the
// installation) get no taskbar button when the stored placement is the tray, as no later
// window of the program has one.
class OffTaskbarBeforeMainWindow : public QObject {
public:
    OffTaskbarBeforeMainWindow() { qApp->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow())
            TaskbarButton::setVisible(static_cast<QWidget*>(watched), false);
        return false;
    }
};

// Read without writing: the main window loads the settings properly later.
bool storedPlacementIsTray() {
    Settings probe;
    bool hints = false;
    SettingsFields fields{probe, hints};
    QString key;
    for (const SettingEntry& entry : settingsTable())
        if (std::holds_alternative<IconPlacement*>(entry.field(fields)))
            key = entry.key;
    TypedRegistry user;
    return user.openKey(GeneralSettingsKey, false) &&
           user.readInteger(key) == qint32(IconPlacement::SystemTray) &&
           QSystemTrayIcon::isSystemTrayAvailable();
}

void print(const QString& text, FILE* stream) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

QString invokedName(char* argv[]) {
    return QFileInfo(pathText(argv[0])).fileName();
}
} // namespace

int runPlatterbox(int argc, char* argv[], const DialogsFactory& answering) {
    // Help, version and a refused option need no display, so they are answered before Qt
    // looks for one (without one, Qt would abort the program).
    QStringList words;
    for (int i = 1; i < argc; ++i)
        words << QString::fromLocal8Bit(argv[i]);
    switch (commandLineRequest(withoutToolkitOptions(words))) {
    case CommandLineRequest::Help:
        print(usageText(invokedName(argv)), stdout);
        return 0;
    case CommandLineRequest::Version:
        print(versionText(), stdout);
        return 0;
    case CommandLineRequest::UnknownOption:
        print(usageText(invokedName(argv)), stderr);
        return 2;
    case CommandLineRequest::Run:
        break;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Platterbox"));
    // Hiding the main window must not end the program; closing it does, through its close.
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's own options (-platform, -style, ...) are gone from argv by now. Both as the bytes
    // they are: a copy in a folder whose name is not UTF-8 still finds its INI file.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << pathText(argv[i]);
    const QString programPath =
        pathText(RawNames::realPath("/proc/self/exe").value_or(QByteArray()));
    // Qt knows the options it took out; whatever else looks like one is refused before
    // anything is read, claimed or written.
    if (commandLineRequest(arguments) == CommandLineRequest::UnknownOption) {
        print(usageText(invokedName(argv)), stderr);
        return 2;
    }

    QtDialogs qtDialogs;
    const std::unique_ptr<UserDialogs> answers = answering ? answering() : nullptr;
    UserDialogs& dialogs = answers ? *answers : static_cast<UserDialogs&>(qtDialogs);

    // A running copy takes over this copy's command line; this copy then ends.
    InstanceChannel instances(RuntimeFolder::path());
    const InstanceChannel::Role role = instances.claimOrHandOver(handOffCommandLine(
        programPath, arguments, pathText(RawNames::realPath(".").value_or(QByteArray()))));
    if (role == InstanceChannel::Role::HandedOver)
        return 0;
    std::optional<OffTaskbarBeforeMainWindow> offTaskbar;
    if (storedPlacementIsTray())
        offTaskbar.emplace();
    // A stopped or hung copy keeps its lock and socket for when it comes back; this copy then
    // runs beside it, out of reach of later copies, which still go to that one.
    if (role == InstanceChannel::Role::Unanswered &&
        !dialogs.askYesNo(QStringLiteral("Another instance is running but does not respond!\r"
                                         "Start this instance on its own?")))
        return 0;

    // A higher installed version started in this copy's place ends this copy.
    if (runInstallationCheck(dialogs, programPath, ProgramStarter::startDetached) ==
        InstallationOutcome::HandedOver)
        return 0;

    offTaskbar.reset(); // the main window's own presence takes over
    runWindows(dialogs, qtDialogs, instances, programPath, arguments);
    return 0;
}
