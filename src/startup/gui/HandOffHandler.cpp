#include "HandOffHandler.h"

#include "common/UserDialogs.h"
#include "playlists/gui/MainWindow.h"
#include "settings/InstanceIni.h"
#include "startup/HandOffPath.h"
#include "startup/gui/TrayIcon.h"

#include <QListWidget>
#include <QTimer>

void HandOffHandler::handle(const QStringList& commandLine) {
    const std::optional<QString> iniPath = HandOffIniPath(commandLine);
    const TVARdlgPreferences& preferences = window_.context().vars.dlgPreferences;
    if (busy_ || preferences.cbIgnoreInstances_Checked || !iniPath) {
        refuse();
        return;
    }
    busy_ = true;
    if (window_.context().dialogs.askYesNo(
            QStringLiteral("New instance loaded, use its INI file?")))
        switchTo(*iniPath);
    busy_ = false;
    bringToFront();
}

void HandOffHandler::refuse() {
    window_.restoreApplication();
}

void HandOffHandler::switchTo(const QString& iniPath) {
    TSharedVariables& vars = window_.context().vars;
    UserDialogs& dialogs = window_.context().dialogs;
    // The running copy's list and per-copy options survive in its own file.
    if (vars.dlgPreferences.cbSaveIni_Checked)
        SaveIniFile(window_.currentIniPath(), vars, dialogs);
    window_.setCurrentIniPath(iniPath);
    vars.PlayLists.clear();
    window_.lbPlayLists->clear();
    // No stale songs of the old list stay behind when the new one is empty.
    window_.lbMP3Songs->clear();
    LoadIniFile(iniPath, vars, dialogs);
    window_.FillPlayListBox();
    window_.UpdateToolButtons();
    window_.ApplyIconPlacement();
    window_.timerAutoPlayOnce->start();
}

// What the sender's request to bring the running copy forward does on Windows; a hidden or
// minimised window stays so.
void HandOffHandler::bringToFront() {
    // Without a notification area a hidden window has no other way back than a new start.
    if (!window_.isVisible() && !window_.trayIcon->isShown()) {
        window_.ApplicationEvents1Restore();
        return;
    }
    if (!window_.isVisible() || window_.isMinimized())
        return;
    window_.raise();
    window_.activateWindow();
}
