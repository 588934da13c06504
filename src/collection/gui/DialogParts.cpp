#include "DialogParts.h"

#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace DialogParts {

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 13 / 11);
    label->setFont(font);
    return label;
}

QToolButton* browseButton(const QString& name, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setIcon(parent->style()->standardIcon(QStyle::SP_DirOpenIcon));
    button->setText(QStringLiteral("..."));
    return button;
}

QPushButton* glyphButton(const QString& name, const QString& caption, QStyle::StandardPixmap glyph,
                         QWidget* parent) {
    auto* button = new QPushButton(parent->style()->standardIcon(glyph), caption, parent);
    button->setObjectName(name);
    return button;
}

} // namespace DialogParts
