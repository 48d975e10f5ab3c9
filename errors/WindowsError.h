#pragma once
// A Windows error code as an exception, the raising helpers, and system message texts.
#include "errors/DebuggableException.h"
#include "text/CopiedUString.h"

#include <cstdint>
#include <string>

struct HINSTANCE__;

namespace Windows {

using ModuleHandle = HINSTANCE__*;

class Error : public DebuggableException {
public:
    // module: searched for a message before the system's; null for system messages only.
    explicit Error(std::uint32_t code, ModuleHandle module = nullptr) noexcept : code_(code), module_(module) {}
    // A copy starts with empty caches and rebuilds them on demand.
    Error(const Error& other) noexcept : DebuggableException(other), code_(other.code_), module_(other.module_) {}
    Error& operator=(const Error&) = delete;

    std::uint32_t Code() const noexcept { return code_; }
    ModuleHandle Module() const noexcept { return module_; }

    // "Windows Error 0x{err}: {msg}" followed by one NUL byte, which the length counts.
    U8String Description() const override;
    // The description in the ANSI code page; the class name if that cannot be built.
    const char* what() const noexcept override;

private:
    std::uint32_t code_;
    ModuleHandle module_;
    mutable CopiedU8String description_;
    mutable std::string narrow_;
};

}  // namespace Windows

// Does nothing for 0: a zero code never becomes an exception.
void ThrowIfWindowsError(std::uint32_t code, Windows::ModuleHandle module = nullptr);
// For a Windows call that has just reported failure.
void ThrowLastWindowsError(Windows::ModuleHandle module = nullptr);
void ThrowLastWindowsErrorIfFalse(int ok, Windows::ModuleHandle module = nullptr);

// The system's text for a code, trimmed of surrounding ASCII white space, as UTF-8;
// "unknown error 0x<hex>" when the system has none.
CopiedU8String SystemMessageText(std::uint32_t code, Windows::ModuleHandle module = nullptr);
// FormatMessage's text for a code as the system gives it, line end and all, in the given
// language (0: the system's choice); empty when the system has none.
std::wstring SystemMessage(std::uint32_t code, Windows::ModuleHandle module = nullptr, std::uint16_t language = 0);
// "Windows Error 0x{e}%: {s}" with the code in hexadecimal and its system text.
CopiedU8String WindowsErrorText(std::uint32_t code);
