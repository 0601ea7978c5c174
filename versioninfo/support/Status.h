//===- Status.h - Errors returned as values ----------------------*- C++ -*-===//
//
// The core never throws across its interface. Operations that can fail
// return a Status (or an Expected<T>) whose message names the thing at fault
// and whose kind says what went wrong, for callers that act on it: they
// branch on the kind, never on the text.
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

/// What went wrong, as far as a caller may act on it.
enum class ErrorKind {
    None,     ///< no error
    Failed,   ///< anything not named below
    NotFound, ///< a file, a resource or a statement the operation needs is missing
    Parse,    ///< the input is not in the form it must take
    Refused,  ///< the input was understood, but doing it would lose or corrupt data
    Io,       ///< the system could not read, write, lock or start something
    Limit,    ///< the input passes a bound set against hostile files
};

class [[nodiscard]] Status {
public:
    static Status Ok() { return Status(); }
    static Status Fail(std::string message, ErrorKind kind = ErrorKind::Failed) {
        return Status(std::move(message), kind);
    }
    static Status NotFound(std::string message) {
        return Fail(std::move(message), ErrorKind::NotFound);
    }
    static Status Parse(std::string message) { return Fail(std::move(message), ErrorKind::Parse); }
    static Status Refused(std::string message) {
        return Fail(std::move(message), ErrorKind::Refused);
    }
    static Status Io(std::string message) { return Fail(std::move(message), ErrorKind::Io); }
    static Status Limit(std::string message) { return Fail(std::move(message), ErrorKind::Limit); }

    bool ok() const { return Kind == ErrorKind::None; }
    explicit operator bool() const { return ok(); }
    ErrorKind kind() const { return Kind; }
    /// The error text; empty for a success.
    const std::string& message() const { return Message; }
    /// Itself, as Expected<T>::status() gives its failure.
    const Status& status() const { return *this; }

private:
    Status() = default;
    Status(std::string message, ErrorKind kind)
        : Message(std::move(message)), Kind(kind == ErrorKind::None ? ErrorKind::Failed : kind) {}
    std::string Message;
    ErrorKind Kind = ErrorKind::None;
};

/// A value or the Status of its failure.
template <typename T> class [[nodiscard]] Expected {
public:
    Expected(T value) : Value(std::move(value)) {}
    Expected(Status failure) : Error(std::move(failure)) {}

    bool ok() const { return Value.has_value(); }
    explicit operator bool() const { return ok(); }
    T& operator*() { return *Value; }
    const T& operator*() const { return *Value; }
    T* operator->() { return &*Value; }
    const T* operator->() const { return &*Value; }
    const std::string& message() const { return Error.message(); }
    ErrorKind kind() const { return ok() ? ErrorKind::None : Error.kind(); }
    /// The failure, kind and message, to pass on as it is.
    const Status& status() const { return Error; }

private:
    std::optional<T> Value;
    Status Error = Status::Ok();
};

} // namespace qm
