#include "TrayIcon.h"

#include <QCursor>

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
        Q_EMIT clicked();
        break;
    case QSystemTrayIcon::DoubleClick:
        // A double click is also a click.
        Q_EMIT clicked();
        Q_EMIT doubleClicked();
        break;
    case QSystemTrayIcon::Context:
        Q_EMIT rightClicked(QCursor::pos());
        break;
    default:
        break;
    }
}
