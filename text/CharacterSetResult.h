#pragma once
// Results of character-set conversions: an ICU error code, then a character set and the
// offending text, then a Windows error code. Only the last is thrown in this system.
#include "errors/DebuggableException.h"

#include <cstdint>
#include <string>

// ICU's name for a UErrorCode, or "[BOGUS UErrorCode]".
const char* IcuErrorName(std::int32_t code) noexcept;

class ICUResult : public DebuggableException {
public:
    explicit ICUResult(std::int32_t code, const char* location = nullptr) : code_(code), location_(location ? location : "") {}
    ICUResult(const ICUResult&) = default;

    // Composed anew on every call and kept in this class's cache; the class name if
    // composing fails.
    const char* what() const noexcept override;
    // The text what() returns, up to its terminating zero.
    U8String Description() const override;
    virtual bool Succeeded() const;
    virtual std::int32_t Code() const;
    virtual std::string CodeName() const;
    virtual std::string ComposeMessage() const;

    const std::string& Location() const noexcept { return location_; }

protected:
    std::int32_t code_;
    std::string location_;
    mutable std::string message_;
};

class CharacterSetResult : public ICUResult {
public:
    CharacterSetResult(std::int32_t code, const char* location = nullptr, std::string characterSet = {},
                       std::string offendingText = {})
        : ICUResult(code, location), characterSet_(std::move(characterSet)), offendingText_(std::move(offendingText))
    {
    }
    CharacterSetResult(const CharacterSetResult&) = default;

    const char* what() const noexcept override;
    std::string ComposeMessage() const override;

protected:
    // "CharacterSetResult:" or "WindowsCharacterSetResult:" plus the set's name, if any.
    std::string Heading(const char* className) const;

    std::string characterSet_;
    std::string offendingText_;
    mutable std::string characterSetMessage_;
};

class WindowsCharacterSetResult : public CharacterSetResult {
public:
    WindowsCharacterSetResult(std::uint32_t windowsError, const char* location)
        : CharacterSetResult(0, location), windowsError_(windowsError)
    {
    }
    WindowsCharacterSetResult(const WindowsCharacterSetResult&) = default;

    bool Succeeded() const override { return windowsError_ == 0; }
    std::int32_t Code() const override { return static_cast<std::int32_t>(windowsError_); }
    // The system's (US English) text for the code without its final CR LF, in the ANSI
    // code page; empty when the system has none.
    std::string CodeName() const override;
    std::string ComposeMessage() const override;

    std::uint32_t WindowsError() const noexcept { return windowsError_; }

private:
    std::uint32_t windowsError_;
};
