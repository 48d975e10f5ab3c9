#pragma once
// Messages from templates with named variables in braces: "{s} on \"{p}\"". Values bind
// in order to the value variables; escape variables ({_crlf}, {_obrace}, ...) stand for
// fixed texts. "%" and a lone "}" are ordinary bytes.
#include "errors/DebuggableException.h"
#include "text/CopiedUString.h"

#include <array>
#include <cstddef>

VERIMARK_PLAIN_EXCEPTION(BadFormatStringError, DebuggableException);
VERIMARK_PLAIN_EXCEPTION(TooManyFormatArguments, DebuggableException);
VERIMARK_PLAIN_EXCEPTION(TooFewFormatArguments, DebuggableException);
VERIMARK_PLAIN_EXCEPTION(UndefinedFormatVariable, DebuggableException);
VERIMARK_PLAIN_EXCEPTION(ImproperFormatVariableName, DebuggableException);

struct FormatBinding {
    U8String name;
    U8String value;
};

// The engine behind Format: `bindings` has room for `count` entries, one per value.
CopiedU8String FormatWithValues(U8String templateText, const U8String* values, FormatBinding* bindings,
                                std::size_t count);

template <class... Values>
CopiedU8String Format(U8String templateText, const Values&... values)
{
    const std::array<U8String, sizeof...(Values)> texts{U8String(values)...};
    std::array<FormatBinding, sizeof...(Values)> bindings{};
    return FormatWithValues(templateText, texts.data(), bindings.data(), texts.size());
}
