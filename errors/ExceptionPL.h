#pragma once
// An exception that carries a free message.
#include "errors/DebuggableException.h"
#include "text/CopiedUString.h"

#include <string>

class ExceptionPL : public DebuggableException {
public:
    explicit ExceptionPL(U8String message) : message_(message) {}
    // A message in the system's ANSI code page, converted to UTF-8 here.
    explicit ExceptionPL(const char* ansiMessage);
    ExceptionPL(const ExceptionPL& other) : DebuggableException(other), message_(other.message_) {}
    ExceptionPL& operator=(const ExceptionPL&) = delete;

    // The message, or the class name when the message is empty.
    U8String Description() const override;
    // The description in the ANSI code page; the class name if that cannot be built.
    const char* what() const noexcept override;

private:
    CopiedU8String message_;
    mutable std::string narrow_;
};

// What a captured foreign std::exception becomes.
VERIMARK_PLAIN_EXCEPTION(CopiedStdException, ExceptionPL);
