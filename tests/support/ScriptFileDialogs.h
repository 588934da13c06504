#pragma once

#include "ScriptedDialogs.h"

// Scripted answers for a whole program run, for end-to-end tests: the test build of the program
// uses this seam when PLATTERBOX_TEST_DIALOGS names a script file. One answer per line, in the
// order the questions come: "yes", "no", "retry", "cancel", "text=<text>", "text-cancel",
// "folder=<path>", "folder-cancel", "file=<path>", "file-cancel". Every text shown or asked is
// appended at once to "<script>.log" as "<kind><TAB><text>" (CR and LF written as \r and \n).
class ScriptFileDialogs : public ScriptedDialogs {
public:
    static constexpr const char* EnvironmentVariable = "PLATTERBOX_TEST_DIALOGS";

    explicit ScriptFileDialogs(const QString& scriptPath);

    void showMessage(const QString& text) override;
    bool askYesNo(const QString& text, BoxKind kind = BoxKind::Question) override;
    bool askRetryCancel(const QString& text, BoxKind kind = BoxKind::Warning) override;
    std::optional<QString> askText(const QString& caption, const QString& prompt,
                                   const QString& defaultText) override;
    std::optional<QString> chooseFolder(const QString& prompt, const QString& startFolder) override;
    std::optional<QString> chooseFile(const QString& caption, const QStringList& filters,
                                      const QString& startPath) override;

    // Reads a log back: pairs of kind and text, texts with their CR and LF restored.
    static QList<QPair<QString, QString>> readLog(const QString& scriptPath);

private:
    void log(const QString& kind, const QString& text);

    QString logPath_;
};
