#pragma once

#include <QString>
#include <QStyle>

class QDialog;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QToolButton;
class QWidget;

// Pieces the collection dialogs share.
namespace DialogParts {
// A heading in a larger font: 13 to the 11 of the dialog's other texts.
QLabel* heading(const QString& text, QWidget* parent);
// The small "..." button right of a path edit.
QToolButton* browseButton(const QString& name, QWidget* parent);
// A push button with a glyph.
QPushButton* glyphButton(const QString& name, const QString& caption, QStyle::StandardPixmap glyph,
                         QWidget* parent);
// The confirm button (a default glyph button) and "Cancel" (rejects the dialog), right-aligned.
struct ButtonRow {
    QHBoxLayout* layout;
    QPushButton* confirm;
    QPushButton* cancel;
};
ButtonRow confirmAndCancel(const QString& name, const QString& caption,
                           QStyle::StandardPixmap glyph, QDialog* dialog);
} // namespace DialogParts
