#include "errors/ExceptionPL.h"

#include "text/CodePageConversion.h"

ExceptionPL::ExceptionPL(const char* ansiMessage) : message_(ConvertACPToUTF8(U8String(ansiMessage)))
{
}

U8String ExceptionPL::Description() const
{
    if (!message_.Empty())
        return message_;
    return DebuggableException::Description();
}

const char* ExceptionPL::what() const noexcept
{
    try {
        if (narrow_.empty()) {
            const CopiedU8String narrow = ConvertUTF8ToACP(Description());
            narrow_.assign(narrow.Begin(), narrow.Length());
        }
        return narrow_.c_str();
    } catch (...) {
        return DebuggableException::what();
    }
}
