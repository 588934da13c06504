#pragma once

#include "Status.h"

#include <QtGlobal>

#include <optional>
#include <utility>

// What a core operation made, or the failure (the exact text to show the user) that kept it
// from being made: one value instead of a Status beside an out-parameter.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : value_(std::move(value)), status_(Status::ok()) {}
    Result(Status failure) : status_(std::move(failure)) { Q_ASSERT(status_.failed()); }

    bool failed() const { return !value_.has_value(); }
    bool isOk() const { return value_.has_value(); }
    explicit operator bool() const { return isOk(); }
    // Ok, or the failure.
    const Status& status() const { return status_; }

    const T& value() const& { return *value_; }
    T& value() & { return *value_; }
    T&& value() && { return std::move(*value_); }
    const T* operator->() const { return &*value_; }
    T* operator->() { return &*value_; }

private:
    std::optional<T> value_;
    Status status_;
};
