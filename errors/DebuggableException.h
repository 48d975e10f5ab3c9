#pragma once
// Root of the program's own exception classes.
#include "text/UString.h"

#include <exception>
#include <string>
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

protected:
    // The what() of a class whose text is composed: the text `compose` returns, kept in
    // `kept` for the caller. It is composed again on each call and kept anew only when it
    // changed, so a pointer handed out earlier stays valid while the text is the same.
    // Never throws: the class name stands in when composing fails.
    template <class Compose>
    const char* KeptWhat(std::string& kept, Compose&& compose) const noexcept
    {
        try {
            std::string text = compose();
            if (text != kept)
                kept = std::move(text);
            return kept.c_str();
        } catch (...) {
            return DebuggableException::what();
        }
    }
    // The common case: Description() in the system's ANSI code page.
    const char* DescriptionWhat(std::string& kept) const noexcept;
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
