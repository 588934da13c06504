#include "PresencePart.h"

#include "CountdownDialog.h"
#include "TrayIcon.h"

#include "platform/gui/TaskbarButton.h"
#include "playlists/PlaylistListModel.h"
#include "playlists/gui/MainWindow.h"
#include "settings/Settings.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>

PresencePart::PresencePart(MainWindow& window) : QObject(&window), window_(window) {
    createTrayMenu();
    createTrayIcon();
    autoPlayTimer_ = new QTimer(&window_);
    autoPlayTimer_->setObjectName(QStringLiteral("timerAutoPlayOnce"));
    autoPlayTimer_->setInterval(100);
    connect(autoPlayTimer_, &QTimer::timeout, this, &PresencePart::autoPlay);
    closeTimer_ = new QTimer(&window_);
    closeTimer_->setObjectName(QStringLiteral("timerSuicide"));
    closeTimer_->setInterval(5000);
    connect(closeTimer_, &QTimer::timeout, &window_, &QWidget::close);
    // A tray host can start or end at any time; nothing tells a program that portably.
    trayAvailable_ = QSystemTrayIcon::isSystemTrayAvailable();
    trayWatch_ = new QTimer(this);
    trayWatch_->setInterval(500);
    connect(trayWatch_, &QTimer::timeout, this, &PresencePart::watchTray);
    trayWatch_->start();
}

PresencePart::~PresencePart() = default;

void PresencePart::createTrayMenu() {
    trayMenu_ = new QMenu(&window_);
    trayMenu_->setObjectName(QStringLiteral("popupSystemTray"));
    QAction* restoreItem = trayMenu_->addAction(QStringLiteral("Restore"));
    restoreItem->setObjectName(QStringLiteral("Restore1"));
    QFont bold = restoreItem->font();
    bold.setBold(true);
    restoreItem->setFont(bold);
    trayMenu_->setDefaultAction(restoreItem);
    trayMenu_->addSeparator();
    QAction* exitItem = trayMenu_->addAction(QStringLiteral("E&xit"));
    exitItem->setObjectName(QStringLiteral("Exit1"));
    connect(restoreItem, &QAction::triggered, this, &PresencePart::restore);
    connect(exitItem, &QAction::triggered, &window_, &QWidget::close);
}

void PresencePart::createTrayIcon() {
    trayIcon_ = new TrayIcon(&window_);
    trayIcon_->setObjectName(QStringLiteral("TrayIcon"));
    trayIcon_->setActive(true);
    trayIcon_->setIcon(QIcon(QStringLiteral(":/icons/platterbox.svg")));
    trayIcon_->setToolTip(QStringLiteral("Platterbox v1.3 by Varnholt"));
    trayIcon_->clicked = [this](TrayIcon*) { restore(); };
    trayIcon_->rightClicked = [this](TrayIcon*, Qt::MouseButton button, Qt::KeyboardModifiers,
                                     QPoint position) {
        if (button == Qt::RightButton)
            trayMenu_->popup(position);
    };
}

IconPlacement PresencePart::placement() const {
    return window_.context().vars.preferences.iconPlacement;
}

bool PresencePart::trayShown() const {
    return trayIcon_->isShown();
}

IconPlacement PresencePart::effectivePlacement() const {
    return placement() == IconPlacement::SystemTray && !trayAvailable_ ? IconPlacement::Taskbar
                                                                       : placement();
}

void PresencePart::applyIconPlacement() {
    // The icon stays wanted without a tray: it shows itself when one comes.
    trayIcon_->setActive(placement() != IconPlacement::Taskbar);
    TaskbarButton::setVisible(&window_, effectivePlacement() != IconPlacement::SystemTray);
}

void PresencePart::watchTray() {
    const bool available = QSystemTrayIcon::isSystemTrayAvailable();
    if (available == trayAvailable_)
        return;
    trayAvailable_ = available;
    if (!available && inTray_) {
        // The tray went away with the window in it: back on the taskbar, still minimised.
        inTray_ = false;
        applyIconPlacement();
        window_.showMinimized();
        return;
    }
    applyIconPlacement();
    if (available && effectivePlacement() == IconPlacement::SystemTray && window_.isMinimized())
        moveToTray();
}

void PresencePart::moveToTray() {
    movingToTray_ = true;
    window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
    window_.hide();
    movingToTray_ = false;
    inTray_ = true;
}

void PresencePart::windowStateChanged(Qt::WindowStates oldState) {
    const bool wasMinimised = oldState & Qt::WindowMinimized;
    const bool minimised = window_.windowState() & Qt::WindowMinimized;
    if (minimised && !wasMinimised && effectivePlacement() == IconPlacement::SystemTray) {
        // Only the tray icon is left: the window goes away instead of to a taskbar button.
        QTimer::singleShot(0, this, [this] {
            if (window_.isMinimized())
                moveToTray();
        });
    } else if (wasMinimised && !minimised && window_.isVisible() && !movingToTray_) {
        restore();
    }
}

void PresencePart::restore() {
    inTray_ = false;
    window_.bringUp();
    closeTimer_->stop();
}

void PresencePart::startAutoPlay() {
    autoPlayTimer_->start();
}

void PresencePart::autoPlay() {
    autoPlayTimer_->stop();
    window_.show();
    const Preferences& options = window_.context().vars.preferences;
    if (!options.autoPlay)
        return;
    if (options.autoPlayAfterDelay) {
        const QString message = QLatin1String("Wait to play ") +
                                QString::number(window_.playlists().count()) +
                                QLatin1String(" playlists");
        if (!runCountdown(options.autoPlayDelaySeconds, message, &window_))
            return;
    }
    window_.focusList(MainWindow::List::Playlists);
    window_.selectAll(MainWindow::List::Playlists);
    window_.execute(MainWindow::List::Playlists);
    if (options.hideWhileAutoPlaying)
        hideOrMinimiseAfterAutoPlay();
    if (options.closeAfterAutoPlay) {
        closeTimer_->setInterval(options.closeDelaySeconds * 1000);
        closeTimer_->start();
    }
}

void PresencePart::hideOrMinimiseAfterAutoPlay(int triesLeft) {
    if (effectivePlacement() == IconPlacement::SystemTray) {
        window_.hide();
        inTray_ = true;
        return;
    }
    // A window manager ignores a minimise asked for before it has taken the window on.
    const QWindow* handle = window_.windowHandle();
    if (triesLeft > 0 && (!handle || !handle->isExposed())) {
        QTimer::singleShot(50, this,
                           [this, triesLeft] { hideOrMinimiseAfterAutoPlay(triesLeft - 1); });
        return;
    }
    window_.showMinimized();
}
