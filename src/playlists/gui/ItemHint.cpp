#include "ItemHint.h"

#include <QToolTip>

ItemHint::ItemHint(QWidget* owner)
    : QLabel(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                        Qt::WindowDoesNotAcceptFocus) {
    setObjectName(QStringLiteral("ItemHint"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setPalette(QToolTip::palette());
    setFont(QToolTip::font());
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setMargin(1);
    setTextFormat(Qt::PlainText);
}

void ItemHint::showAt(const QPoint& globalTopLeft, const QString& text) {
    setText(text);
    resize(sizeHint());
    move(globalTopLeft);
    show();
    raise();
}
