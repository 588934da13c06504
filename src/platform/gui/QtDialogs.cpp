#include "QtDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace {
// The program breaks lines with a single carriage return.
QString displayText(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

QString applicationTitle() {
    const QString name = QApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Platterbox") : name;
}
} // namespace

void QtDialogs::showMessage(const QString& text) {
    QMessageBox::information(parent_, applicationTitle(), displayText(text), QMessageBox::Ok);
}

bool QtDialogs::askYesNo(const QString& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), displayText(text),
                    QMessageBox::Yes | QMessageBox::No, parent_);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Yes"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&No"));
    return box.exec() == QMessageBox::Yes;
}

bool QtDialogs::askRetryCancel(const QString& text) {
    return QMessageBox::warning(parent_, applicationTitle(), displayText(text),
                                QMessageBox::Retry | QMessageBox::Cancel) == QMessageBox::Retry;
}

std::optional<QString> QtDialogs::askText(const QString& caption, const QString& prompt,
                                          const QString& defaultText) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent_, caption, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QString> QtDialogs::chooseFolder(const QString& prompt,
                                               const QString& startFolder) {
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
