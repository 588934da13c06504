#include "QtDialogs.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>

#include <algorithm>

namespace {
// The program breaks lines with a single carriage return.
QString displayText(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

QMessageBox::Icon iconOf(UserDialogs::BoxKind kind) {
    switch (kind) {
    case UserDialogs::BoxKind::Information:
        return QMessageBox::Information;
    case UserDialogs::BoxKind::Question:
        return QMessageBox::Question;
    case UserDialogs::BoxKind::Warning:
        return QMessageBox::Warning;
    case UserDialogs::BoxKind::Error:
        break;
    }
    return QMessageBox::Critical;
}

// The program's own name, whatever the process is called.
QString applicationTitle() {
    return QStringLiteral("Platterbox");
}

// Wide enough for the whole caption and a typical full path, and for the given text when it
// is longer; never wider than most of the screen.
int inputBoxWidth(const QWidget& box, const QString& caption, const QString& text) {
    const QFontMetrics metrics(box.font());
    const int path = metrics.horizontalAdvance(QLatin1Char('x')) * 64;
    // The title bar's font is often larger, and its buttons take room.
    const int title = metrics.horizontalAdvance(caption) * 3 / 2 + 120;
    const int whole = metrics.horizontalAdvance(text) + 40;
    const QScreen* screen = box.screen();
    const int most = screen ? screen->availableGeometry().width() * 9 / 10 : 1200;
    return qMin(most, std::max({path, title, whole}));
}
} // namespace

void QtDialogs::showMessage(const QString& text) {
    QMessageBox::information(parent_, applicationTitle(), displayText(text), QMessageBox::Ok);
}

void QtDialogs::showError(const QString& text) {
    QMessageBox::critical(parent_, applicationTitle(), displayText(text), QMessageBox::Ok);
}

bool QtDialogs::askYesNo(const QString& text, BoxKind kind) {
    QMessageBox box(iconOf(kind), QStringLiteral("Confirm"), displayText(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Yes"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    return box.exec() == QMessageBox::Yes;
}

bool QtDialogs::askRetryCancel(const QString& text, BoxKind kind) {
    QMessageBox box(iconOf(kind), applicationTitle(), displayText(text),
                    QMessageBox::Retry | QMessageBox::Cancel, parent_);
    return box.exec() == QMessageBox::Retry;
}

std::optional<QString> QtDialogs::askText(const QString& caption, const QString& prompt,
                                          const QString& defaultText) {
    QInputDialog box(parent_);
    box.setWindowTitle(caption);
    box.setLabelText(prompt);
    box.setTextValue(defaultText);
    // The edit box decides the width of the whole box.
    if (auto* edit = box.findChild<QLineEdit*>())
        edit->setMinimumWidth(inputBoxWidth(box, caption, defaultText));
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

std::optional<QString> QtDialogs::chooseFolder(const QString& prompt, const QString& startFolder) {
    QString folder = QFileDialog::getExistingDirectory(parent_, prompt, startFolder);
    if (folder.isEmpty())
        return std::nullopt;
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    return folder;
}

std::optional<QString> QtDialogs::chooseFile(const QString& caption, const QStringList& filters,
                                             const QString& startPath) {
    const QString file = QFileDialog::getOpenFileName(parent_, caption, startPath,
                                                      filters.join(QLatin1String(";;")));
    if (file.isEmpty())
        return std::nullopt;
    return file;
}
