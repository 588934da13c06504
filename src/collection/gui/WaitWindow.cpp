#include "WaitWindow.h"

#include "FindFolderAnimation.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

namespace {
constexpr int ClientWidth = 341;
constexpr int ClientHeight = 114;
constexpr int PanelHeight = 34;
constexpr qint64 EventIntervalMs = 20; // Abort is answered well within 50 ms
constexpr qint64 PaintIntervalMs = 33; // about 30 pictures a second
} // namespace

WaitWindow::WaitWindow() : QWidget(nullptr) {
    setObjectName(QStringLiteral("frmWait"));
    // A title but no title-bar buttons: the window closes when its walk ends.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint);
    // The dialog that started the walk stays open underneath but takes no input meanwhile,
    // so a second run cannot start inside this one; Abort stays reachable.
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(ClientWidth, ClientHeight);
    createComponents();
    setCurrentWaitWindow(this);
}

WaitWindow::~WaitWindow() {
    if (currentWaitWindow() == this)
        setCurrentWaitWindow(nullptr);
}

void WaitWindow::createComponents() {
    lblHeader = new QLabel(this);
    lblHeader->setObjectName(QStringLiteral("lblHeader"));
    QFont bold = lblHeader->font();
    bold.setBold(true);
    lblHeader->setFont(bold);
    lblHeader->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    const int headerHeight = QFontMetrics(bold).height() + 4;
    lblHeader->setGeometry(0, 2, ClientWidth, headerHeight);

    lblCurrentFolder = new QLabel(this);
    lblCurrentFolder->setObjectName(QStringLiteral("lblCurrentFolder"));
    lblCurrentFolder->setAlignment(Qt::AlignCenter);
    lblCurrentFolder->setWordWrap(true);
    lblCurrentFolder->setGeometry(0, 2 + headerHeight, ClientWidth,
                                  ClientHeight - PanelHeight - 2 - headerHeight);

    panelBottom = new QWidget(this);
    panelBottom->setObjectName(QStringLiteral("panelBottom"));
    panelBottom->setGeometry(0, ClientHeight - PanelHeight, ClientWidth, PanelHeight);
    btnAbort = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                               QStringLiteral("Abort"), panelBottom);
    btnAbort->setObjectName(QStringLiteral("btnAbort"));
    btnAbort->setToolTip(QStringLiteral("Abort operation"));
    btnAbort->setGeometry((ClientWidth - 75) / 2, (PanelHeight - 25) / 2, 75, 25);
    connect(btnAbort, &QPushButton::clicked, this, &WaitWindow::btnAbortClick);

    animWait = new FindFolderAnimation(this);
    animWait->move(0, ClientHeight - animWait->height());
    animWait->raise();
}

WalkResult WaitWindow::runWalk(const QString& caption, const QString& header,
                               const std::function<WalkResult()>& walk) {
    WaitWindow wait;
    wait.setWindowTitle(caption);
    wait.lblHeader->setText(header);
    wait.KeepActive = true;
    wait.show();
    const WalkResult result = walk();
    wait.KeepActive = false;
    return result;
}

void WaitWindow::btnAbortClick() {
    Aborted = true;
}

bool WaitWindow::tick(const QString& folder) {
    // A request handled while this tick's events run is noticed by the next tick.
    const bool goOn = !Aborted;
    Q_EMIT folderReached(folder);
    if (sinceEvents_.isValid() && sinceEvents_.elapsed() < EventIntervalMs)
        return goOn;
    if (!sincePaint_.isValid() || sincePaint_.elapsed() >= PaintIntervalMs)
        showLatestFolder(folder);
    QCoreApplication::processEvents();
    sinceEvents_.start();
    return goOn;
}

void WaitWindow::showLatestFolder(const QString& folder) {
    // A long path loses its middle, so where the search started and where it is now both show.
    const int room =
        lblCurrentFolder->width() - 2 * lblCurrentFolder->fontMetrics().averageCharWidth();
    lblCurrentFolder->setText(
        lblCurrentFolder->fontMetrics().elidedText(folder, Qt::ElideMiddle, room));
    lblCurrentFolder->repaint();
    sincePaint_.start();
}

void WaitWindow::setStayOnTop(bool onTop) {
    if (!onTop) {
        // A message box shown now must not be covered, nor lose the foreground to us.
        keepActiveBeforeMessage_ = KeepActive;
        KeepActive = false;
    }
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible)
        show();
    if (onTop)
        KeepActive = keepActiveBeforeMessage_;
}

void WaitWindow::showEvent(QShowEvent* event) {
    if (!placed_) {
        placed_ = true;
        centreOverActiveWindow();
    }
    QWidget::showEvent(event);
}

void WaitWindow::centreOverActiveWindow() {
    const QWidget* owner = QApplication::activeWindow();
    const QRect area =
        owner && owner != this ? owner->frameGeometry() : screen()->availableGeometry();
    move(area.center() - rect().center());
}

void WaitWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange)
        isActiveWindow() ? activated() : deactivated();
    QWidget::changeEvent(event);
}

void WaitWindow::activated() {
    if (!animWait->isActive())
        animWait->start();
}

void WaitWindow::deactivated() {
    if (KeepActive)
        QTimer::singleShot(0, this, &WaitWindow::takeForeground);
}

void WaitWindow::takeForeground() {
    if (KeepActive && isVisible() && !isActiveWindow()) {
        raise();
        activateWindow();
    }
}

void WaitWindow::closeEvent(QCloseEvent* event) {
    // Only the end of the walk closes the window; a close request from the window manager
    // counts as Abort.
    event->ignore();
    btnAbortClick();
}
