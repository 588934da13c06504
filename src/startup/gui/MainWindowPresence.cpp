// Where the program shows itself: taskbar button, tray icon or both; minimising, hiding and
// restoring the main window.
#include "TTrayIcon.h"
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

void TfrmPlatterboxMain::createTrayIcon() {
    TrayIcon = new TTrayIcon(this);
    TrayIcon->setObjectName(QStringLiteral("TrayIcon"));
    TrayIcon->setActive(true);
    TrayIcon->setIcon(QIcon(QStringLiteral(":/icons/platterbox.svg")));
    TrayIcon->setToolTip(QStringLiteral("Platterbox v1.3 by Varnholt"));
    TrayIcon->OnClick = [this](TTrayIcon*) { TrayIconClick(); };
    TrayIcon->OnRightClick = [this](TTrayIcon*, Qt::MouseButton button, Qt::KeyboardModifiers,
                                    QPoint position) { TrayIconRightClick(button, position); };
    connect(Restore1, &QAction::triggered, this, &TfrmPlatterboxMain::TrayIconClick);
}

void TfrmPlatterboxMain::ApplyIconPlacement() {
    const int placement = context().vars.dlgPreferences.radIcon_ItemIndex;
    TrayIcon->setActive(placement != TaskbarOnly);
    TaskbarButton::setVisible(this, placement != TrayOnly);
}

void TfrmPlatterboxMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    ApplyIconPlacement();
}

void TfrmPlatterboxMain::minimiseByPlacement() {
    ApplyIconPlacement();
    if (context().vars.dlgPreferences.radIcon_ItemIndex == TrayOnly)
        hide();
    else
        showMinimized();
}

void TfrmPlatterboxMain::changeEvent(QEvent* event) {
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

void TfrmPlatterboxMain::TrayIconClick() {
    restoreApplication();
}

void TfrmPlatterboxMain::restoreApplication() {
    if (isMinimized())
        showNormal();
    ApplicationEvents1Restore();
}

void TfrmPlatterboxMain::TrayIconRightClick(Qt::MouseButton button, const QPoint& position) {
    if (button == Qt::RightButton)
        popupSystemTray->popup(position);
}

void TfrmPlatterboxMain::ApplicationEvents1Restore() {
    show();
    raise();
    activateWindow();
    timerSuicide->stop();
}
