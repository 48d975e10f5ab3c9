#pragma once
// Root of the program's own exception classes.
#include "text/UString.h"

#include <exception>
#include <typeinfo>

namespace WindowsPlatform {
// Marks the program's own exceptions; holds nothing.
class ExceptionDebuggingInfo {
};
}  // namespace WindowsPlatform

class DebuggableException : public std::exception, public WindowsPlatform::ExceptionDebuggingInfo {
public:
    ~DebuggableException() override = default;
    // Both default to the readable name of the dynamic class.
    const char* what() const noexcept override;
    virtual U8String Description() const;
};

// The readable (demangled) name of a class, kept for the life of the process. Falls back
// to the compiler's own name when demangling is impossible; never throws.
const char* ReadableTypeName(const std::type_info& type) noexcept;

// Declares an exception class that carries nothing beyond its type.
#define VERIMARK_PLAIN_EXCEPTION(Name, Base) \
    class Name : public Base {               \
    public:                                  \
        using Base::Base;                    \
    }
