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
    return DescriptionWhat(narrow_);
}
