#include "TrackedDialogs.h"

void TrackedDialogs::showMessage(const QString& text) {
    tracked([&] { inner_.showMessage(text); });
}

void TrackedDialogs::showError(const QString& text) {
    tracked([&] { inner_.showError(text); });
}

bool TrackedDialogs::askYesNo(const QString& text, BoxKind kind) {
    return tracked([&] { return inner_.askYesNo(text, kind); });
}

bool TrackedDialogs::askRetryCancel(const QString& text, BoxKind kind) {
    return tracked([&] { return inner_.askRetryCancel(text, kind); });
}

std::optional<QString> TrackedDialogs::askText(const QString& caption, const QString& prompt,
                                               const QString& defaultText) {
    return tracked([&] { return inner_.askText(caption, prompt, defaultText); });
}

std::optional<QString> TrackedDialogs::chooseFolder(const QString& prompt,
                                                    const QString& startFolder) {
    return tracked([&] { return inner_.chooseFolder(prompt, startFolder); });
}

std::optional<QString> TrackedDialogs::chooseFile(const QString& caption,
                                                  const QStringList& filters,
                                                  const QString& startPath) {
    return tracked([&] { return inner_.chooseFile(caption, filters, startPath); });
}
