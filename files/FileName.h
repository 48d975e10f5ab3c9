#pragma once
// One validated path component, such as "request.xml".
#include "errors/DebuggableException.h"
#include "text/CopiedUString.h"

VERIMARK_PLAIN_EXCEPTION(IllegalFileName, DebuggableException);
VERIMARK_PLAIN_EXCEPTION(IllegalFileNameReserved, DebuggableException);

class FileName {
public:
    // An empty text, or one over 256 bytes, gives the empty name without an error.
    // "." and ".." are reserved; control bytes and " * / : < > ? \ | are illegal.
    explicit FileName(U8String text);

    U8String Text() const { return text_; }
    operator U8String() const { return text_; }

private:
    CopiedU8String text_;
};
