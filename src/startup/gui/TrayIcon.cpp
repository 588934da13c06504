#include "TrayIcon.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>

TrayIcon::TrayIcon(QObject* owner) : QObject(owner) {
    connect(&tray_, &QSystemTrayIcon::activated, this, &TrayIcon::handleActivation);
}

TrayIcon::~TrayIcon() {
    tray_.hide();
}

void TrayIcon::setActive(bool active) {
    if (active == active_)
        return;
    active_ = active;
    refresh();
}

// Shown only once it has a picture; an icon set later brings it up then.
void TrayIcon::refresh() {
    tray_.setVisible(active_ && !icon_.isNull());
}

void TrayIcon::setIcon(const QIcon& icon) {
    icon_ = icon;
    tray_.setIcon(icon);
    refresh();
}

void TrayIcon::setToolTip(const QString& toolTip) {
    toolTip_ = toolTip.left(MaxToolTipLength);
    tray_.setToolTip(toolTip_);
}

bool TrayIcon::isShown() const {
    return active_ && QSystemTrayIcon::isSystemTrayAvailable() && tray_.isVisible();
}

void TrayIcon::handleActivation(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        if (clicked)
            clicked(this);
        break;
    case QSystemTrayIcon::DoubleClick:
        // A double click is also a click.
        if (clicked)
            clicked(this);
        if (doubleClicked)
            doubleClicked(this);
        break;
    case QSystemTrayIcon::Context:
        rightClick();
        break;
    default:
        break;
    }
}

void TrayIcon::rightClick() {
    const QPoint cursor = QCursor::pos();
    if (PopupMenu) {
        if (QWidget* window = QApplication::activeWindow())
            window->activateWindow();
        QCoreApplication::processEvents();
        PopupMenu->popup(cursor);
    }
    if (rightClicked)
        rightClicked(this, Qt::RightButton, Qt::NoModifier, cursor);
}
