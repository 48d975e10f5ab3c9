#pragma once
// Text delivered line by line: Begin, then per line any number of Text and one EndLine,
// then End. The word-sized arguments are passed as zeros and read by nobody.
#include "text/DataWriter.h"

#include <cstdint>

class LineReceiver {
public:
    using Word = std::uintptr_t;

    virtual ~LineReceiver() = default;
    virtual void Begin(Word a, Word b) = 0;
    virtual void Text(const char* first, const char* last) = 0;
    virtual void EndLine(Word a, Word b, Word c, Word d) = 0;
    virtual void End(Word a, Word b) = 0;
};

// Joins lines into one byte stream with a separator after each line. Neither the
// separator nor the target is owned; the flattener serves one document.
class LineFlattener : public LineReceiver {
public:
    LineFlattener(const char* separatorFirst, const char* separatorLast, DataReceiver& target)
        : separatorFirst_(separatorFirst), separatorLast_(separatorLast), target_(&target)
    {
    }

    void Begin(Word, Word) override { target_->Begin(); }
    void Text(const char* first, const char* last) override { target_->Receive(first, last); }
    void EndLine(Word, Word, Word, Word) override { target_->Receive(separatorFirst_, separatorLast_); }
    void End(Word, Word) override
    {
        DataReceiver* target = target_;
        target_ = nullptr;
        target->End();
    }

private:
    const char* separatorFirst_;
    const char* separatorLast_;
    DataReceiver* target_;
};
