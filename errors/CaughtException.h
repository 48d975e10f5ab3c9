#pragma once
// Captures the exception in flight into a heap object that can be rethrown later.
#include "errors/ExceptionPL.h"
#include "errors/WindowsError.h"

#include <vector>

class CaughtException {
public:
    virtual ~CaughtException() = default;
    [[noreturn]] virtual void Rethrow() const = 0;
    virtual const char* What() const noexcept = 0;
    virtual U8String Description() const = 0;
};

template <class T>
class CaughtExceptionOfType;

// A foreign std::exception keeps only its text: it comes back as a CopiedStdException.
template <>
class CaughtExceptionOfType<std::exception> : public CaughtException {
public:
    explicit CaughtExceptionOfType(const std::exception& caught) : held_(caught.what()) {}
    [[noreturn]] void Rethrow() const override { throw CopiedStdException(held_); }
    const char* What() const noexcept override { return held_.what(); }
    U8String Description() const override { return held_.Description(); }

private:
    CopiedStdException held_;
};

template <>
class CaughtExceptionOfType<Windows::Error> : public CaughtException {
public:
    explicit CaughtExceptionOfType(const Windows::Error& caught) : held_(caught) {}
    [[noreturn]] void Rethrow() const override { throw Windows::Error(held_); }
    const char* What() const noexcept override { return held_.what(); }
    U8String Description() const override { return held_.Description(); }

private:
    Windows::Error held_;
};

// Call inside a catch block. Rethrows the exception in flight, catches its own type and
// returns a new capture of it (the caller owns it); any other exception passes through.
using ExceptionCatcher = CaughtException* (*)();

CaughtException* CatchStdException();
CaughtException* CatchWindowsError();

// Appends to the process-wide list unless the same function is already in it.
void RegisterExceptionCatcher(ExceptionCatcher catcher);
// The list as it stands; the std::exception catcher and then the Windows::Error catcher
// are registered once per process before anything else.
std::vector<ExceptionCatcher> RegisteredExceptionCatchers();
