#include "TfrmNullMain.h"

#include <QEvent>

TfrmNullMain::TfrmNullMain(QWidget* mainWindow) : mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("TfrmNullMain"));
    setAttribute(Qt::WA_DontShowOnScreen);
}

void TfrmNullMain::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && mainWindow_)
        mainWindow_->show();
    QWidget::changeEvent(event);
}
