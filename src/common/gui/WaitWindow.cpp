#include "WaitWindow.h"

#include "FindFolderAnimation.h"

#include <QAccessibleWidget>
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

// Qt takes a plain widget for a "filler", even a top-level one: a screen reader is to meet a
// window with its title instead.
QAccessibleInterface* accessibleWaitWindow(const QString& className, QObject* object) {
    if (className == QLatin1String(WaitWindow::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}
} // namespace

WaitWindow::WaitWindow() : QWidget(nullptr) {
    static const bool accessibleAsWindow =
        (QAccessible::installFactory(accessibleWaitWindow), true);
    Q_UNUSED(accessibleAsWindow);
    setObjectName(QStringLiteral("waitWindow"));
    // A title but no title-bar buttons: the window closes when its walk ends.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint);
    // The dialog that started the walk stays open underneath but takes no input meanwhile,
    // so a second run cannot start inside this one; Abort stays reachable.
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(ClientWidth, ClientHeight);
    createComponents();
}

WaitWindow::~WaitWindow() = default;

void WaitWindow::createComponents() {
    headerLabel_ = new QLabel(this);
    headerLabel_->setObjectName(QStringLiteral("headerLabel"));
    QFont bold = headerLabel_->font();
    bold.setBold(true);
    headerLabel_->setFont(bold);
    headerLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    const int headerHeight = QFontMetrics(bold).height() + 4;
    headerLabel_->setGeometry(0, 2, ClientWidth, headerHeight);

    folderLabel_ = new QLabel(this);
    folderLabel_->setObjectName(QStringLiteral("currentFolderLabel"));
    folderLabel_->setAlignment(Qt::AlignCenter);
    folderLabel_->setWordWrap(true);
    folderLabel_->setGeometry(0, 2 + headerHeight, ClientWidth,
                              ClientHeight - PanelHeight - 2 - headerHeight);

    buttonPanel_ = new QWidget(this);
    buttonPanel_->setObjectName(QStringLiteral("buttonPanel"));
    buttonPanel_->setGeometry(0, ClientHeight - PanelHeight, ClientWidth, PanelHeight);
    abortButton_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton),
                                   QStringLiteral("Abort"), buttonPanel_);
    abortButton_->setObjectName(QStringLiteral("abortButton"));
    abortButton_->setToolTip(QStringLiteral("Abort operation"));
    abortButton_->setGeometry((ClientWidth - 75) / 2, (PanelHeight - 25) / 2, 75, 25);
    connect(abortButton_, &QPushButton::clicked, this, &WaitWindow::requestAbort);

    animation_ = new FindFolderAnimation(this);
    animation_->setObjectName(QStringLiteral("findFolderAnimation"));
    animation_->move(0, ClientHeight - animation_->height());
    animation_->raise();
}

WalkResult WaitWindow::runWalk(const QString& caption, const QString& header,
                               const WalkWithProgress& walk) {
    WaitWindow wait;
    wait.setWindowTitle(caption);
    wait.headerLabel_->setText(header);
    wait.keepForeground_ = true;
    wait.show();
    const WalkResult result = walk(wait);
    wait.keepForeground_ = false;
    return result;
}

void WaitWindow::requestAbort() {
    aborted_ = true;
}

bool WaitWindow::tick(const QString& folder) {
    // A request handled while this tick's events run is noticed by the next tick.
    const bool goOn = !aborted_;
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
    const int room = folderLabel_->width() - 2 * folderLabel_->fontMetrics().averageCharWidth();
    // A second line (a copy's bytes done) is elided on its own.
    QStringList lines = folder.split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = folderLabel_->fontMetrics().elidedText(line, Qt::ElideMiddle, room);
    folderLabel_->setText(lines.join(QLatin1Char('\n')));
    folderLabel_->repaint();
    sincePaint_.start();
}

void WaitWindow::setStayOnTop(bool onTop) {
    if (!onTop) {
        // A message box shown now must not be covered, nor lose the foreground to us.
        keepForegroundBeforeMessage_ = keepForeground_;
        keepForeground_ = false;
    }
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible)
        show();
    if (onTop)
        keepForeground_ = keepForegroundBeforeMessage_;
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
        isActiveWindow() ? startAnimation() : reclaimForegroundSoon();
    QWidget::changeEvent(event);
}

void WaitWindow::startAnimation() {
    if (!animation_->isActive())
        animation_->start();
}

void WaitWindow::reclaimForegroundSoon() {
    if (keepForeground_)
        QTimer::singleShot(0, this, &WaitWindow::takeForeground);
}

void WaitWindow::takeForeground() {
    if (keepForeground_ && isVisible() && !isActiveWindow()) {
        raise();
        activateWindow();
    }
}

void WaitWindow::closeEvent(QCloseEvent* event) {
    // Only the end of the walk closes the window; a close request from the window manager
    // counts as Abort.
    event->ignore();
    requestAbort();
}
