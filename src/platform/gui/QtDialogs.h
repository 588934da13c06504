#pragma once

#include "common/UserDialogs.h"

class QWidget;

// The seam over Qt's message boxes, input box and file dialogs.
class QtDialogs : public UserDialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

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
    QWidget* parent_;
};
