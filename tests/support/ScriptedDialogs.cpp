#include "ScriptedDialogs.h"

namespace {
template <typename T> T takeOr(QQueue<T>& queue, T fallback) {
    return queue.isEmpty() ? fallback : queue.dequeue();
}
} // namespace

QStringList ScriptedDialogs::messages() const {
    QStringList texts;
    for (const Record& r : records_)
        if (r.kind == Kind::Message)
            texts << r.text;
    return texts;
}

QStringList ScriptedDialogs::questions() const {
    QStringList texts;
    for (const Record& r : records_)
        if (r.kind == Kind::YesNo || r.kind == Kind::RetryCancel)
            texts << r.text;
    return texts;
}

void ScriptedDialogs::clear() {
    records_.clear();
    errors_.clear();
    yesNo_.clear();
    retryCancel_.clear();
    texts_.clear();
    folders_.clear();
    files_.clear();
}

bool ScriptedDialogs::allAnswersUsed() const {
    return yesNo_.isEmpty() && retryCancel_.isEmpty() && texts_.isEmpty() && folders_.isEmpty() &&
           files_.isEmpty();
}

void ScriptedDialogs::showMessage(const QString& text) {
    records_.append({Kind::Message, text, {}, {}});
    whileOpen();
}

void ScriptedDialogs::showError(const QString& text) {
    errors_.append(text);
    showMessage(text);
    records_.last().box = BoxKind::Error;
}

bool ScriptedDialogs::askYesNo(const QString& text, BoxKind kind) {
    records_.append({Kind::YesNo, text, {}, {}, kind});
    whileOpen();
    return takeOr(yesNo_, false);
}

bool ScriptedDialogs::askRetryCancel(const QString& text, BoxKind kind) {
    records_.append({Kind::RetryCancel, text, {}, {}, kind});
    whileOpen();
    return takeOr(retryCancel_, false);
}

std::optional<QString> ScriptedDialogs::askText(const QString& caption, const QString& prompt,
                                                const QString& defaultText) {
    records_.append({Kind::Text, prompt, caption, defaultText});
    whileOpen();
    return takeOr(texts_, std::optional<QString>());
}

std::optional<QString> ScriptedDialogs::chooseFolder(const QString& prompt,
                                                     const QString& startFolder) {
    records_.append({Kind::Folder, prompt, {}, startFolder});
    whileOpen();
    return takeOr(folders_, std::optional<QString>());
}

std::optional<QString> ScriptedDialogs::chooseFile(const QString& caption,
                                                   const QStringList& filters,
                                                   const QString& startPath) {
    records_.append({Kind::File, filters.join(QLatin1String(";;")), caption, startPath});
    return takeOr(files_, std::optional<QString>());
}

void ScriptedDialogs::whileOpen() {
    // A copy, so the hook may replace itself.
    if (const auto hook = whileOpen_)
        hook(records_.last());
}
