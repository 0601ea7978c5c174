//===- Status.h - Errors returned as values ----------------------*- C++ -*-===//
//
// The core never throws across its interface. Operations that can fail
// return a Status (or an Expected<T>) whose message names the thing at fault.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace qm {

class [[nodiscard]] Status {
public:
    static Status Ok() { return Status(); }
    static Status Fail(std::string message) { return Status(std::move(message)); }

    bool ok() const { return !Message.has_value(); }
    explicit operator bool() const { return ok(); }
    /// The error text; empty for a success.
    const std::string& message() const {
        static const std::string None;
        return Message ? *Message : None;
    }

private:
    Status() = default;
    explicit Status(std::string message) : Message(std::move(message)) {}
    std::optional<std::string> Message;
};

/// A value or an error message.
template <typename T> class [[nodiscard]] Expected {
public:
    Expected(T value) : Value(std::move(value)) {}
    Expected(Status failure) : Error(failure.message()) {}

    bool ok() const { return Value.has_value(); }
    explicit operator bool() const { return ok(); }
    T& operator*() { return *Value; }
    const T& operator*() const { return *Value; }
    T* operator->() { return &*Value; }
    const T* operator->() const { return &*Value; }
    const std::string& message() const { return Error; }

private:
    std::optional<T> Value;
    std::string Error;
};

} // namespace qm
