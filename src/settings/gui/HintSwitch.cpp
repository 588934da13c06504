#include "HintSwitch.h"

#include <QApplication>
#include <QEvent>
#include <QToolTip>

HintSwitch::HintSwitch(QObject* parent) : QObject(parent) {
    qApp->installEventFilter(this);
}

HintSwitch::~HintSwitch() {
    qApp->removeEventFilter(this);
}

void HintSwitch::setEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled)
        QToolTip::hideText();
}

bool HintSwitch::eventFilter(QObject* watched, QEvent* event) {
    if (!enabled_ && event->type() == QEvent::ToolTip)
        return true;
    return QObject::eventFilter(watched, event);
}
