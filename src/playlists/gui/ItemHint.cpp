#include "ItemHint.h"

#include <QToolTip>
#include <QWindow>

ItemHint::ItemHint(QWidget* owner)
    : QLabel(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                        Qt::WindowDoesNotAcceptFocus) {
    setObjectName(QStringLiteral("itemHint"));
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
    // The toolkit can make the native window anew without passing the pointer through it
    // again; asking once more restores that.
    if (QWindow* native = windowHandle()) {
        native->setFlag(Qt::WindowTransparentForInput, false);
        native->setFlag(Qt::WindowTransparentForInput, true);
    }
}
