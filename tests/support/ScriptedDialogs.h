#pragma once

#include "common/UserDialogs.h"

#include <QList>
#include <QQueue>
#include <functional>

// Answers from a script and records every text; used by tests and by scripted runs.
// An unexpected question (no scripted answer left) is answered with No / Cancel and
// recorded, so a test fails on its assertions instead of hanging.
class ScriptedDialogs : public UserDialogs {
public:
    enum class Kind { Message, YesNo, RetryCancel, Text, Folder, File };
    struct Record {
        Kind kind;
        QString text;    // message, question or prompt
        QString caption; // input box and file chooser caption
        QString defaultText;
        BoxKind box = BoxKind::Information; // the icon of a report or question
    };

    // Queue answers in the order the questions will come.
    void answerYesNo(bool yes) { yesNo_.enqueue(yes); }
    void answerRetryCancel(bool retry) { retryCancel_.enqueue(retry); }
    void answerText(std::optional<QString> text) { texts_.enqueue(text); }
    void answerFolder(std::optional<QString> folder) { folders_.enqueue(folder); }
    void answerFile(std::optional<QString> file) { files_.enqueue(file); }

    // Runs while each question is open, before it is answered: a test does there what a user
    // or another program does while the box is up.
    void setWhileOpen(std::function<void(const Record&)> hook) { whileOpen_ = std::move(hook); }

    const QList<Record>& records() const { return records_; }
    QStringList messages() const;  // texts of plain reports, in order
    QStringList questions() const; // texts of Yes/No and Retry/Cancel questions, in order
    // Texts of the reports shown as errors (also among messages()), in order.
    const QStringList& errors() const { return errors_; }
    void clear();
    bool allAnswersUsed() const;

    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    bool askYesNo(const QString& text, BoxKind kind = BoxKind::Question) override;
    bool askRetryCancel(const QString& text, BoxKind kind = BoxKind::Warning) override;
    std::optional<QString> askText(const QString& caption, const QString& prompt,
                                   const QString& defaultText) override;
    std::optional<QString> chooseFolder(const QString& prompt, const QString& startFolder) override;
    std::optional<QString> chooseFile(const QString& caption, const QStringList& filters,
                                      const QString& startPath) override;

private:
    void whileOpen();

    std::function<void(const Record&)> whileOpen_;
    QList<Record> records_;
    QStringList errors_;
    QQueue<bool> yesNo_;
    QQueue<bool> retryCancel_;
    QQueue<std::optional<QString>> texts_;
    QQueue<std::optional<QString>> folders_;
    QQueue<std::optional<QString>> files_;
};
