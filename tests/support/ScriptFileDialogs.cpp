#include "ScriptFileDialogs.h"

#include <QFile>

namespace {
QString escaped(QString text) {
    return text.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('\r'), QLatin1String("\\r"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
}

QString unescaped(const QString& text) {
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('\\') || i + 1 == text.size()) {
            result += text.at(i);
            continue;
        }
        const QChar next = text.at(++i);
        result += next == QLatin1Char('r')   ? QChar(u'\r')
                  : next == QLatin1Char('n') ? QChar(u'\n')
                                             : next;
    }
    return result;
}

std::optional<QString> valueAfter(const QString& line, QLatin1String prefix) {
    return line.mid(prefix.size());
}
} // namespace

ScriptFileDialogs::ScriptFileDialogs(const QString& scriptPath)
    : logPath_(scriptPath + QLatin1String(".log")) {
    QFile script(scriptPath);
    if (!script.open(QIODevice::ReadOnly))
        return;
    const QStringList lines = QString::fromUtf8(script.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        line.remove(QLatin1Char('\r'));
        if (line == QLatin1String("yes") || line == QLatin1String("no"))
            answerYesNo(line == QLatin1String("yes"));
        else if (line == QLatin1String("retry") || line == QLatin1String("cancel"))
            answerRetryCancel(line == QLatin1String("retry"));
        else if (line.startsWith(QLatin1String("text=")))
            answerText(valueAfter(line, QLatin1String("text=")));
        else if (line == QLatin1String("text-cancel"))
            answerText(std::nullopt);
        else if (line.startsWith(QLatin1String("folder=")))
            answerFolder(valueAfter(line, QLatin1String("folder=")));
        else if (line == QLatin1String("folder-cancel"))
            answerFolder(std::nullopt);
        else if (line.startsWith(QLatin1String("file=")))
            answerFile(valueAfter(line, QLatin1String("file=")));
        else if (line == QLatin1String("file-cancel"))
            answerFile(std::nullopt);
    }
}

void ScriptFileDialogs::log(const QString& kind, const QString& text) {
    QFile file(logPath_);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write((kind + QLatin1Char('\t') + escaped(text) + QLatin1Char('\n')).toUtf8());
}

void ScriptFileDialogs::showMessage(const QString& text) {
    log(QStringLiteral("message"), text);
    ScriptedDialogs::showMessage(text);
}

bool ScriptFileDialogs::askYesNo(const QString& text, BoxKind kind) {
    log(QStringLiteral("yesno"), text);
    return ScriptedDialogs::askYesNo(text, kind);
}

bool ScriptFileDialogs::askRetryCancel(const QString& text, BoxKind kind) {
    log(QStringLiteral("retrycancel"), text);
    return ScriptedDialogs::askRetryCancel(text, kind);
}

std::optional<QString> ScriptFileDialogs::askText(const QString& caption, const QString& prompt,
                                                  const QString& defaultText) {
    log(QStringLiteral("text"), prompt);
    return ScriptedDialogs::askText(caption, prompt, defaultText);
}

std::optional<QString> ScriptFileDialogs::chooseFolder(const QString& prompt,
                                                       const QString& startFolder) {
    log(QStringLiteral("folder"), prompt);
    return ScriptedDialogs::chooseFolder(prompt, startFolder);
}

std::optional<QString> ScriptFileDialogs::chooseFile(const QString& caption,
                                                     const QStringList& filters,
                                                     const QString& startPath) {
    log(QStringLiteral("file"), caption);
    return ScriptedDialogs::chooseFile(caption, filters, startPath);
}

QList<QPair<QString, QString>> ScriptFileDialogs::readLog(const QString& scriptPath) {
    QFile file(scriptPath + QLatin1String(".log"));
    QList<QPair<QString, QString>> entries;
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab > 0)
            entries.append({line.left(tab), unescaped(line.mid(tab + 1))});
    }
    return entries;
}
