#include "HandOffPart.h"

#include "PresencePart.h"

#include "common/UserDialogs.h"
#include "playlists/PlaylistListModel.h"
#include "common/gui/WindowServices.h"
#include "common/gui/ProgramContext.h"
#include "settings/InstanceIni.h"
#include "settings/Settings.h"
#include "startup/HandOffPath.h"
#include "startup/StartupLog.h"

#include <QApplication>
#include <QWidget>
#include <QTimer>

HandOffPart::HandOffPart(WindowServices& window) : QObject(&window.widget()), window_(window) {
    waitTimer_ = new QTimer(this);
    waitTimer_->setInterval(100);
    connect(waitTimer_, &QTimer::timeout, this, &HandOffPart::serveWaiting);
}

bool HandOffPart::modalWindowOpen() const {
    return window_.isAskingUser() || QApplication::activeModalWidget() != nullptr;
}

void HandOffPart::receive(const QStringList& commandLine, Reply reply) {
    // A second hand-off during the hand-off question is answered at once, as before.
    if (!asking_ && (modalWindowOpen() || !queue_.isEmpty())) {
        qCDebug(lcStartup) << "the hand-off waits until the open dialog is answered";
        queue_.enqueue({commandLine, std::move(reply)});
        waitTimer_->start();
        return;
    }
    handle(commandLine);
    reply();
}

void HandOffPart::serveWaiting() {
    if (modalWindowOpen())
        return;
    waitTimer_->stop();
    // Copies that came while the user was busy get one question, as a burst does otherwise:
    // once it is asked, the rest count as arriving while it was open.
    bool asked = false;
    while (!queue_.isEmpty() && !modalWindowOpen()) {
        Request request = queue_.dequeue();
        if (asked)
            refuse();
        else
            asked = handle(request.commandLine);
        request.reply();
    }
    if (!queue_.isEmpty())
        waitTimer_->start();
}

bool HandOffPart::handle(const QStringList& commandLine) {
    const std::optional<QString> iniPath = handOffIniPath(commandLine);
    const Preferences& preferences = window_.context().settings.preferences;
    if (asking_ || preferences.ignoreOtherCopies || !iniPath) {
        qCDebug(lcStartup) << "hand-off not taken:"
                           << (asking_                         ? "its question is open"
                               : preferences.ignoreOtherCopies ? "other copies are ignored"
                                                               : "nothing to take over");
        refuse();
        return false;
    }
    asking_ = true;
    const bool yes = window_.context().dialogs.askYesNo(
        QStringLiteral("New instance loaded, use its INI file?"));
    asking_ = false;
    qCDebug(lcStartup) << (yes ? "hand-off taken: switching to" : "hand-off declined, not using")
                       << *iniPath;
    if (yes)
        switchTo(*iniPath);
    bringToFront();
    return true;
}

void HandOffPart::refuse() {
    window_.presence().restore();
}

void HandOffPart::switchTo(const QString& iniPath) {
    Settings& settings = window_.context().settings;
    UserDialogs& dialogs = window_.context().dialogs;
    // The running copy's list and per-copy options survive in its own file.
    if (settings.preferences.saveIniOnClose)
        writeInstanceIni(window_.currentIniPath(), settings, window_.playlists().paths(), dialogs);
    window_.setCurrentIniPath(iniPath);
    window_.loadIniFile(iniPath);
    window_.presence().applyIconPlacement();
    window_.presence().startAutoPlay();
}

// What the sender's request to bring the running copy forward does on Windows; a hidden or
// minimised window stays so.
void HandOffPart::bringToFront() {
    // Without a notification area a hidden window has no other way back than a new start.
    if (!window_.widget().isVisible() && !window_.presence().trayShown()) {
        window_.presence().restore();
        return;
    }
    if (!window_.widget().isVisible() || window_.widget().isMinimized())
        return;
    window_.widget().raise();
    window_.widget().activateWindow();
}
