//===- Status.h - Errors returned as values ----------------------*- C++ -*-===//
//
// The core never throws across its interface. Operations that can fail
// return a Status (or an Expected<T>) whose message names the thing at fault.
//
// A message is text in the program's own encoding, the one its paths are in
// (platform/Files.h): UTF-8 on Linux, the ANSI code page on Windows, as the
// system words its errors. A message that quotes a script quotes its bytes
// as they are, so on Linux it may hold Latin-1. The window turns messages
// into text in one place (controls/Modals.h, MessageText).
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
