#include "TrackedDialogs.h"

#include <QLoggingCategory>

namespace {
// Off by default like the others; a text is quoted, so its line breaks stay on one line.
Q_LOGGING_CATEGORY(lcDialogs, "platterbox.dialogs", QtCriticalMsg)
} // namespace

void TrackedDialogs::logUnasked(const QString& text) {
    qCWarning(lcDialogs) << "Not shown, the program is ending:" << text;
}

void TrackedDialogs::showMessage(const QString& text) {
    tracked(
        text,
        [&] {
            inner_.showMessage(text);
            return true;
        },
        true);
}

void TrackedDialogs::showError(const QString& text) {
    tracked(
        text,
        [&] {
            inner_.showError(text);
            return true;
        },
        true);
}

bool TrackedDialogs::askYesNo(const QString& text, BoxKind kind) {
    return tracked(
        text, [&] { return inner_.askYesNo(text, kind); }, false);
}

bool TrackedDialogs::askRetryCancel(const QString& text, BoxKind kind) {
    return tracked(
        text, [&] { return inner_.askRetryCancel(text, kind); }, false);
}

std::optional<QString> TrackedDialogs::askText(const QString& caption, const QString& prompt,
                                               const QString& defaultText) {
    return tracked(
        prompt, [&] { return inner_.askText(caption, prompt, defaultText); },
        std::optional<QString>());
}

std::optional<QString> TrackedDialogs::chooseFolder(const QString& prompt,
                                                    const QString& startFolder) {
    return tracked(
        prompt, [&] { return inner_.chooseFolder(prompt, startFolder); }, std::optional<QString>());
}

std::optional<QString> TrackedDialogs::chooseFile(const QString& caption,
                                                  const QStringList& filters,
                                                  const QString& startPath) {
    return tracked(
        caption, [&] { return inner_.chooseFile(caption, filters, startPath); },
        std::optional<QString>());
}
