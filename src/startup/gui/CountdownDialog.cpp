#include "CountdownDialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>

CountdownDialog::CountdownDialog(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("TdlgTimer"));
    setWindowTitle(QStringLiteral("Platterbox AutoPlay Timer"));
    // A fixed dialog without any caption buttons: the choice is made with the two buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    createControls();
    RunTimer = new QTimer(this);
    RunTimer->setObjectName(QStringLiteral("RunTimer"));
    RunTimer->setInterval(1000);
    connect(RunTimer, &QTimer::timeout, this, &CountdownDialog::countDown);
}

void CountdownDialog::createControls() {
    imgIcon = new QLabel(this);
    imgIcon->setPixmap(QIcon(QStringLiteral(":/icons/platterbox.svg")).pixmap(32, 32));
    lblMsg = new QLabel(this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setWordWrap(true);
    lblMsg->setMinimumWidth(260);
    QFont bold = lblMsg->font();
    bold.setBold(true);
    lblMsg->setFont(bold);
    lblNum = new QLabel(this);
    lblNum->setObjectName(QStringLiteral("lblNum"));
    lblNum->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont large = lblNum->font();
    large.setPointSize(large.pointSize() * 2);
    large.setBold(true);
    lblNum->setFont(large);
    lblSecondsRemaining = new QLabel(QStringLiteral("seconds remaining..."), this);
    lblSecondsRemaining->setObjectName(QStringLiteral("lblSecondsRemaining"));

    btnCancel =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QString(), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setToolTip(QStringLiteral("Don't AutoPlay / Open program normally"));
    btnOK = new QPushButton(style()->standardIcon(QStyle::SP_MediaPlay), QString(), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setToolTip(QStringLiteral("Play Now"));
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    setTabOrder(btnCancel, btnOK);

    auto* grid = new QGridLayout(this);
    grid->addWidget(imgIcon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(lblMsg, 0, 1, 1, 2);
    grid->addWidget(lblNum, 1, 1);
    grid->addWidget(lblSecondsRemaining, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    grid->addLayout(buttons, 2, 0, 1, 3);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void CountdownDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    RunTimer->start();
}

void CountdownDialog::countDown() {
    --secondsLeft;
    if (secondsLeft < 1) {
        RunTimer->stop();
        accept();
        return;
    }
    lblNum->setText(QString::number(secondsLeft));
}

bool runCountdown(int seconds, const QString& message, QWidget* owner) {
    CountdownDialog dialog(owner);
    dialog.secondsLeft = seconds + 1;
    dialog.countDown();
    dialog.lblMsg->setText(message);
    return dialog.exec() == QDialog::Accepted;
}
