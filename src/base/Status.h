#pragma once

#include <QString>

// Outcome of a core operation: success, or the exact text to show the user.
class [[nodiscard]] Status {
public:
    static Status ok() { return Status(); }
    static Status failure(const QString& message) { return Status(message, true); }

    bool isOk() const { return !failed_; }
    bool failed() const { return failed_; }
    const QString& message() const { return message_; }
    explicit operator bool() const { return !failed_; }

private:
    Status() = default;
    Status(const QString& message, bool failed) : message_(message), failed_(failed) {}

    QString message_;
    bool failed_ = false;
};
