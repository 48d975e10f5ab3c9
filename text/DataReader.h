#pragma once
// A source of bytes with its own position.
#include "errors/DebuggableException.h"

// The reader ran out before the caller's range was full.
VERIMARK_PLAIN_EXCEPTION(NoMoreData, DebuggableException);

// A writable byte range; reading advances its first.
struct ByteRange {
    char* first;
    char* last;
    bool Empty() const { return !(first < last); }
};

class DataReader {
public:
    virtual ~DataReader() = default;
    virtual void Rewind() = 0;
    virtual bool AtEnd() = 0;
    virtual bool HasMore() { return !AtEnd(); }
    // Fills the whole range or throws NoMoreData (what arrived stays in the range). This
    // default relies on ReadSome making progress while HasMore is true.
    virtual DataReader& ReadExactly(char* first, char* last);
    // Reads what is available, up to range.last, and advances range.first past it.
    virtual void ReadSome(ByteRange& range) = 0;
};

class EmptyDataReader : public DataReader {
public:
    void Rewind() override {}
    bool AtEnd() override { return true; }
    void ReadSome(ByteRange&) override {}
};
