#include "ToolBarButton.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionToolButton>

ToolBarButton::ToolBarButton(const QSize& size, QWidget* parent)
    : QToolButton(parent), fixedSize_(size) {
    setFixedSize(size);
    setAutoRaise(true);
    // Reached by Tab, but a click leaves the focus in the list it acts on.
    setFocusPolicy(Qt::TabFocus);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setIconSize(QSize(16, 16));
    QFont small = font();
    small.setPixelSize(10);
    setFont(small);
}

void ToolBarButton::keyPressEvent(QKeyEvent* event) {
    // Enter presses the focused button rather than reaching the window's key table.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QToolButton::keyPressEvent(event);
}

void ToolBarButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    // The raised frame of a flat button under the mouse or pressed.
    if (isEnabled() && (underMouse() || isDown() || hasFocus())) {
        option.text.clear();
        option.icon = QIcon();
        style()->drawPrimitive(QStyle::PE_PanelButtonTool, &option, &painter, this);
    }
    const QIcon::Mode mode =
        !isEnabled() ? QIcon::Disabled : (underMouse() ? QIcon::Active : QIcon::Normal);
    const QRect imageRect((width() - 16) / 2, 4, 16, 16);
    icon().paint(&painter, imageRect, Qt::AlignCenter, mode);
    const QRect textRect(0, imageRect.bottom() + 1, width(), height() - imageRect.bottom() - 2);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(textRect, Qt::AlignHCenter | Qt::AlignTop, text());
}
