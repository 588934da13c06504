#include "PresencePart.h"

#include "CountdownDialog.h"
#include "TrayIcon.h"

#include "platform/gui/TaskbarButton.h"
#include "playlists/PlaylistListModel.h"
#include "playlists/gui/MainWindow.h"
#include "settings/SharedVariables.h"

#include <QMenu>
#include <QTimer>

namespace {
constexpr int TaskbarOnly = 0;
constexpr int TrayOnly = 1;
} // namespace

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
    trayIcon_->OnClick = [this](TrayIcon*) { restore(); };
    trayIcon_->OnRightClick = [this](TrayIcon*, Qt::MouseButton button, Qt::KeyboardModifiers,
                                     QPoint position) {
        if (button == Qt::RightButton)
            trayMenu_->popup(position);
    };
}

int PresencePart::placement() const {
    return window_.context().vars.dlgPreferences.radIcon_ItemIndex;
}

bool PresencePart::trayShown() const {
    return trayIcon_->isShown();
}

void PresencePart::applyIconPlacement() {
    trayIcon_->setActive(placement() != TaskbarOnly);
    TaskbarButton::setVisible(&window_, placement() != TrayOnly);
}

void PresencePart::windowStateChanged(Qt::WindowStates oldState) {
    const bool wasMinimised = oldState & Qt::WindowMinimized;
    const bool minimised = window_.windowState() & Qt::WindowMinimized;
    if (minimised && !wasMinimised && placement() == TrayOnly) {
        // Only the tray icon is left: the window goes away instead of to a taskbar button.
        QTimer::singleShot(0, this, [this] {
            movingToTray_ = true;
            window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
            window_.hide();
            movingToTray_ = false;
        });
    } else if (wasMinimised && !minimised && window_.isVisible() && !movingToTray_) {
        restore();
    }
}

void PresencePart::restore() {
    window_.bringUp();
    closeTimer_->stop();
}

void PresencePart::startAutoPlay() {
    autoPlayTimer_->start();
}

void PresencePart::autoPlay() {
    autoPlayTimer_->stop();
    window_.show();
    const TVARdlgPreferences& options = window_.context().vars.dlgPreferences;
    if (!options.cbAutoExecute_Checked)
        return;
    if (options.cbAutoExecuteDelay_Checked) {
        const QString message = QLatin1String("Wait to play ") +
                                QString::number(window_.playlists().count()) +
                                QLatin1String(" playlists");
        if (!RunCountdown(options.spinAutoExecuteDelay_Value, message, &window_))
            return;
    }
    window_.focusList(MainWindow::List::Playlists);
    window_.selectAll(MainWindow::List::Playlists);
    window_.execute(MainWindow::List::Playlists);
    if (options.cbAutoExecuteHide_Checked)
        hideOrMinimiseAfterAutoPlay();
    if (options.cbAutoExecuteClose_Checked) {
        closeTimer_->setInterval(options.spinAutoExecuteCloseDelay_Value * 1000);
        closeTimer_->start();
    }
}

void PresencePart::hideOrMinimiseAfterAutoPlay() {
    if (placement() == TrayOnly)
        window_.hide();
    else
        window_.showMinimized();
}
