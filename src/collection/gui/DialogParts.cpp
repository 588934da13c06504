#include "DialogParts.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace DialogParts {

QLabel* heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("headingLabel"));
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

ButtonRow confirmAndCancel(const QString& name, const QString& caption,
                           QStyle::StandardPixmap glyph, QDialog* dialog) {
    ButtonRow row{new QHBoxLayout, glyphButton(name, caption, glyph, dialog),
                  new QPushButton(QStringLiteral("Cancel"), dialog)};
    row.confirm->setDefault(true);
    row.cancel->setObjectName(QStringLiteral("cancelButton"));
    row.layout->addStretch();
    row.layout->addWidget(row.confirm);
    row.layout->addWidget(row.cancel);
    QObject::connect(row.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return row;
}

} // namespace DialogParts
