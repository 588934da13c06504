#pragma once

#include <QLabel>

// The full text of a list item, shown over the item while the pointer rests there. It never
// takes the pointer: a click lands on the item under it, and the list keeps the pointer, so
// the hint is not hidden by the list losing it.
class ItemHint : public QLabel {
    Q_OBJECT
public:
    explicit ItemHint(QWidget* owner);

    // Shows the text with the hint's top-left corner at a point on the screen.
    void showAt(const QPoint& globalTopLeft, const QString& text);
};
