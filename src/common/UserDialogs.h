#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The one seam through which the program asks or tells the user anything.
// Line breaks inside texts are single carriage returns, as the program writes them.
class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // The icon a box shows.
    enum class BoxKind { Information, Question, Warning, Error };

    // Plain report with one OK button, captioned with the application title.
    virtual void showMessage(const QString& text) = 0;
    // Report of a failure: the same box with an error icon.
    virtual void showError(const QString& text) { showMessage(text); }
    // Confirmation box with Yes and No (caption "Confirm"); true for Yes.
    virtual bool askYesNo(const QString& text, BoxKind kind = BoxKind::Question) = 0;
    // Box with Retry and Cancel; true for Retry.
    virtual bool askRetryCancel(const QString& text, BoxKind kind = BoxKind::Warning) = 0;
    // Input box; nullopt when cancelled.
    virtual std::optional<QString> askText(const QString& caption, const QString& prompt,
                                           const QString& defaultText) = 0;
    // Folder chooser; nullopt when cancelled. The result has no trailing "/" except "/".
    virtual std::optional<QString> chooseFolder(const QString& prompt,
                                                const QString& startFolder) = 0;
    // File-open chooser; filters are "Description (*.a *.b)" rows. nullopt when cancelled.
    virtual std::optional<QString> chooseFile(const QString& caption, const QStringList& filters,
                                              const QString& startPath) = 0;
};
