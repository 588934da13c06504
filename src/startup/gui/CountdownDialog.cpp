#include "CountdownDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

CountdownDialog::CountdownDialog(int seconds, const QString& message, QWidget* owner)
    : QDialog(owner) {
    setObjectName(QStringLiteral("countdownDialog"));
    setWindowTitle(QStringLiteral("Platterbox AutoPlay Timer"));
    // A fixed dialog without any caption buttons: the choice is made with the two buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    createControls();
    secondTimer_ = new QTimer(this);
    secondTimer_->setObjectName(QStringLiteral("secondTimer"));
    secondTimer_->setInterval(1000);
    connect(secondTimer_, &QTimer::timeout, this, &CountdownDialog::countOneSecond);
    secondsLeft_ = seconds + 1;
    countOneSecond();
    messageLabel_->setText(message);
}

void CountdownDialog::createControls() {
    iconLabel_ = new QLabel(this);
    iconLabel_->setObjectName(QStringLiteral("iconLabel"));
    iconLabel_->setPixmap(QIcon(QStringLiteral(":/icons/platterbox.svg")).pixmap(32, 32));
    messageLabel_ = new QLabel(this);
    messageLabel_->setObjectName(QStringLiteral("messageLabel"));
    messageLabel_->setWordWrap(true);
    messageLabel_->setMinimumWidth(260);
    QFont bold = messageLabel_->font();
    bold.setBold(true);
    messageLabel_->setFont(bold);
    secondsLabel_ = new QLabel(this);
    secondsLabel_->setObjectName(QStringLiteral("secondsLabel"));
    secondsLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont large = secondsLabel_->font();
    large.setPointSize(large.pointSize() * 2);
    large.setBold(true);
    secondsLabel_->setFont(large);
    remainingLabel_ = new QLabel(QStringLiteral("seconds remaining..."), this);
    remainingLabel_->setObjectName(QStringLiteral("remainingLabel"));

    cancelButton_ =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QString(), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    cancelButton_->setToolTip(QStringLiteral("Don't AutoPlay / Open program normally"));
    // Glyphs only: the hints are their names.
    cancelButton_->setAccessibleName(cancelButton_->toolTip());
    playNowButton_ = new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), QString(), this);
    playNowButton_->setObjectName(QStringLiteral("okButton"));
    playNowButton_->setToolTip(QStringLiteral("Play Now"));
    playNowButton_->setAccessibleName(playNowButton_->toolTip());
    playNowButton_->setDefault(true);
    connect(playNowButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
    setTabOrder(cancelButton_, playNowButton_);

    auto* grid = new QGridLayout(this);
    grid->addWidget(iconLabel_, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(messageLabel_, 0, 1, 1, 2);
    grid->addWidget(secondsLabel_, 1, 1);
    grid->addWidget(remainingLabel_, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(playNowButton_);
    buttons->addWidget(cancelButton_);
    grid->addLayout(buttons, 2, 0, 1, 3);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void CountdownDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    secondTimer_->start();
}

void CountdownDialog::countOneSecond() {
    --secondsLeft_;
    if (secondsLeft_ < 1) {
        secondTimer_->stop();
        accept();
        return;
    }
    secondsLabel_->setText(QString::number(secondsLeft_));
}

bool runCountdown(int seconds, const QString& message, QWidget* owner) {
    CountdownDialog dialog(seconds, message, owner);
    return dialog.exec() == QDialog::Accepted;
}
