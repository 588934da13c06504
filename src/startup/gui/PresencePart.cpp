#include "PresencePart.h"

#include "CountdownDialog.h"
#include "TrayIcon.h"

#include "platform/gui/TaskbarButton.h"
#include "platform/gui/TrayWatcher.h"
#include "playlists/PlaylistListModel.h"
#include "common/gui/WindowServices.h"
#include "common/gui/ProgramContext.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QWindow>

PresencePart::PresencePart(WindowServices& window) : QObject(&window.widget()), window_(window) {
    // Every window of the program passes here when it is shown, dialogs made anywhere too.
    qApp->installEventFilter(this);
    createTrayMenu();
    createTrayIcon();
    autoPlayTimer_ = new QTimer(&window_.widget());
    autoPlayTimer_->setObjectName(QStringLiteral("autoPlayTimer"));
    // Once the message loop runs, and no later: the window waits for it to be shown.
    autoPlayTimer_->setInterval(0);
    connect(autoPlayTimer_, &QTimer::timeout, this, &PresencePart::autoPlay);
    closeTimer_ = new QTimer(&window_.widget());
    closeTimer_->setObjectName(QStringLiteral("closeTimer"));
    closeTimer_->setInterval(5000);
    connect(closeTimer_, &QTimer::timeout, &window_.widget(), &QWidget::close);
    // A tray host can start or end at any time; the display tells when. Known before the
    // first show, so a window meant for the tray never gets a taskbar button.
    trayWatch_ = new TrayWatcher(this);
    connect(trayWatch_, &TrayWatcher::availabilityChanged, this, &PresencePart::trayChanged);
    trayWatch_->start();
    trayAvailable_ = trayWatch_->isAvailable();
}

PresencePart::~PresencePart() = default;

void PresencePart::createTrayMenu() {
    trayMenu_ = new QMenu(&window_.widget());
    trayMenu_->setObjectName(QStringLiteral("trayMenu"));
    QAction* restoreItem = trayMenu_->addAction(QStringLiteral("Restore"));
    restoreItem->setObjectName(QStringLiteral("restoreAction"));
    QFont bold = restoreItem->font();
    bold.setBold(true);
    restoreItem->setFont(bold);
    trayMenu_->setDefaultAction(restoreItem);
    trayMenu_->addSeparator();
    QAction* exitItem = trayMenu_->addAction(QStringLiteral("E&xit"));
    exitItem->setObjectName(QStringLiteral("exitAction"));
    connect(restoreItem, &QAction::triggered, this, &PresencePart::restore);
    connect(exitItem, &QAction::triggered, &window_.widget(), &QWidget::close);
}

void PresencePart::createTrayIcon() {
    trayIcon_ = new TrayIcon(&window_.widget());
    trayIcon_->setObjectName(QStringLiteral("trayIcon"));
    // Activated by the icon placement only where wanted: a notification-area icon costs a
    // look for the desktop's tray services before the window can show.
    trayIcon_->setIcon(QIcon(QStringLiteral(":/icons/platterbox.svg")));
    trayIcon_->setToolTip(QStringLiteral("Platterbox v1.3 by Varnholt"));
    connect(trayIcon_, &TrayIcon::clicked, this, &PresencePart::restore);
    connect(trayIcon_, &TrayIcon::rightClicked, this,
            [this](const QPoint& position) { trayMenu_->popup(position); });
}

IconPlacement PresencePart::placement() const {
    return window_.context().settings.preferences.iconPlacement;
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
    TaskbarButton::setVisible(&window_.widget(), effectivePlacement() != IconPlacement::SystemTray);
}

bool PresencePart::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched->isWidgetType())
        placeOwnedWindow(*static_cast<QWidget*>(watched));
    if (event->type() == QEvent::Hide && watched->isWidgetType()) {
        const auto* closed = static_cast<QWidget*>(watched);
        // Once the close is done, and only when no other modal window is left. After a window
        // without modality (Help), only when it had the focus: the user was in the program.
        // Asked at the hide, not later: the window manager's word on the focus may come late.
        const Qt::WindowType type = closed->windowType();
        if (closed != &window_.widget() && closed->isWindow() && closed->isModal())
            QTimer::singleShot(0, this, &PresencePart::takeFocusBack);
        else if (closed != &window_.widget() && closed->isWindow() &&
                 (type == Qt::Dialog || type == Qt::Window) && closed->windowHandle() &&
                 closed->windowHandle()->isActive())
            QTimer::singleShot(0, this, &PresencePart::takeFocusBack);
    }
    return false;
}

// Window managers give the focus back to the window a dialog belonged to, but not all do so
// for a window kept off the taskbar: the list that had the focus gets it again all the same.
void PresencePart::takeFocusBack() {
    QWidget& main = window_.widget();
    // Asked even when the toolkit thinks the window is active: it may not have heard yet
    // that the window manager gave the focus elsewhere.
    if (QApplication::activeModalWidget() || !main.isVisible() || main.isMinimized())
        return;
    main.activateWindow();
}

void PresencePart::placeOwnedWindow(QWidget& shown) {
    QWidget& main = window_.widget();
    const Qt::WindowType type = shown.windowType();
    if (&shown == &main || !shown.isWindow() || (type != Qt::Dialog && type != Qt::Window))
        return;
    const bool offTaskbar = effectivePlacement() == IconPlacement::SystemTray;
    // Before the window is mapped: the window manager reads both when it takes it on.
    if (offTaskbar && !shown.parentWidget() && shown.windowHandle()) {
        main.winId();
        shown.windowHandle()->setTransientParent(main.windowHandle());
    }
    TaskbarButton::setVisible(&shown, !offTaskbar);
}

void PresencePart::trayChanged(bool available) {
    if (available == trayAvailable_)
        return;
    trayAvailable_ = available;
    if (!available && inTray_) {
        // The tray went away with the window in it: back on the taskbar, still minimised.
        inTray_ = false;
        applyIconPlacement();
        window_.widget().showMinimized();
        return;
    }
    applyIconPlacement();
    if (available && effectivePlacement() == IconPlacement::SystemTray &&
        window_.widget().isMinimized())
        moveToTray();
}

void PresencePart::moveToTray() {
    movingToTray_ = true;
    window_.widget().setWindowState(window_.widget().windowState() & ~Qt::WindowMinimized);
    window_.widget().hide();
    movingToTray_ = false;
    inTray_ = true;
}

void PresencePart::windowStateChanged(Qt::WindowStates oldState) {
    const bool wasMinimised = oldState & Qt::WindowMinimized;
    const bool minimised = window_.widget().windowState() & Qt::WindowMinimized;
    if (minimised && !wasMinimised && effectivePlacement() == IconPlacement::SystemTray) {
        // Only the tray icon is left: the window goes away instead of to a taskbar button.
        QTimer::singleShot(0, this, [this] {
            if (window_.widget().isMinimized())
                moveToTray();
        });
    } else if (wasMinimised && !minimised && window_.widget().isVisible() && !movingToTray_) {
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
    window_.widget().show();
    // Not every window manager gives a new window the focus (none a window kept off the
    // taskbar, nor one after questions asked before it): Enter is to play at once.
    window_.widget().activateWindow();
    const Preferences& options = window_.context().settings.preferences;
    if (!options.autoPlay)
        return;
    if (options.autoPlayAfterDelay) {
        const QString message = QLatin1String("Wait to play ") +
                                QString::number(window_.playlists().count()) +
                                QLatin1String(" playlists");
        if (!runCountdown(options.autoPlayDelaySeconds, message, &window_.widget()))
            return;
    }
    window_.focusList(WindowServices::List::Playlists);
    window_.selectAll(WindowServices::List::Playlists);
    window_.execute(WindowServices::List::Playlists);
    if (options.hideWhileAutoPlaying)
        hideOrMinimiseAfterAutoPlay();
    if (options.closeAfterAutoPlay) {
        closeTimer_->setInterval(options.closeDelaySeconds * 1000);
        closeTimer_->start();
    }
}

void PresencePart::hideOrMinimiseAfterAutoPlay(int triesLeft) {
    if (effectivePlacement() == IconPlacement::SystemTray) {
        window_.widget().hide();
        inTray_ = true;
        return;
    }
    // A window manager ignores a minimise asked for before it has taken the window on.
    const QWindow* handle = window_.widget().windowHandle();
    if (triesLeft > 0 && (!handle || !handle->isExposed())) {
        QTimer::singleShot(50, this,
                           [this, triesLeft] { hideOrMinimiseAfterAutoPlay(triesLeft - 1); });
        return;
    }
    window_.widget().showMinimized();
}
