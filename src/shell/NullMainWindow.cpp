#include "NullMainWindow.h"

#include <QEvent>

NullMainWindow::NullMainWindow(QWidget* mainWindow) : mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("nullMainWindow"));
    setAttribute(Qt::WA_DontShowOnScreen);
}

void NullMainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && mainWindow_)
        mainWindow_->show();
    QWidget::changeEvent(event);
}
