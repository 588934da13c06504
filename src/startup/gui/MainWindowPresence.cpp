// Where the program shows itself: taskbar button, tray icon or both; minimising, hiding and
// restoring the main window.
#include "TrayIcon.h"
#include "platform/gui/TaskbarButton.h"
#include "playlists/gui/MainWindow.h"
#include "settings/SharedVariables.h"

#include <QEvent>
#include <QMenu>
#include <QTimer>
#include <QWindowStateChangeEvent>

namespace {
constexpr int TaskbarOnly = 0;
constexpr int TrayOnly = 1;
} // namespace

void MainWindow::createTrayIcon() {
    trayIcon = new TrayIcon(this);
    trayIcon->setObjectName(QStringLiteral("TrayIcon"));
    trayIcon->setActive(true);
    trayIcon->setIcon(QIcon(QStringLiteral(":/icons/platterbox.svg")));
    trayIcon->setToolTip(QStringLiteral("Platterbox v1.3 by Varnholt"));
    trayIcon->OnClick = [this](TrayIcon*) { TrayIconClick(); };
    trayIcon->OnRightClick = [this](TrayIcon*, Qt::MouseButton button, Qt::KeyboardModifiers,
                                    QPoint position) { TrayIconRightClick(button, position); };
    connect(Restore1, &QAction::triggered, this, &MainWindow::TrayIconClick);
}

void MainWindow::ApplyIconPlacement() {
    const int placement = context().vars.dlgPreferences.radIcon_ItemIndex;
    trayIcon->setActive(placement != TaskbarOnly);
    TaskbarButton::setVisible(this, placement != TrayOnly);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    ApplyIconPlacement();
}

void MainWindow::minimiseByPlacement() {
    ApplyIconPlacement();
    if (context().vars.dlgPreferences.radIcon_ItemIndex == TrayOnly)
        hide();
    else
        showMinimized();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    const bool wasMinimised = change->oldState() & Qt::WindowMinimized;
    const bool minimised = windowState() & Qt::WindowMinimized;
    if (minimised && !wasMinimised && context().vars.dlgPreferences.radIcon_ItemIndex == TrayOnly) {
        // Only the tray icon is left: the window goes away instead of to a taskbar button.
        QTimer::singleShot(0, this, [this] {
            setWindowState(windowState() & ~Qt::WindowMinimized);
            hide();
        });
    } else if (wasMinimised && !minimised && isVisible()) {
        ApplicationEvents1Restore();
    }
}

void MainWindow::TrayIconClick() {
    restoreApplication();
}

void MainWindow::restoreApplication() {
    if (isMinimized())
        showNormal();
    ApplicationEvents1Restore();
}

void MainWindow::TrayIconRightClick(Qt::MouseButton button, const QPoint& position) {
    if (button == Qt::RightButton)
        popupSystemTray->popup(position);
}

void MainWindow::ApplicationEvents1Restore() {
    show();
    raise();
    activateWindow();
    timerSuicide->stop();
}
