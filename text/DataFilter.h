#pragma once
// Byte transformations from one range into another; both ranges advance by what was used.
#include "errors/DebuggableException.h"
#include "text/DataReader.h"

#include <cstddef>

// A byte was put into an output range that was already full.
VERIMARK_PLAIN_EXCEPTION(DataOverflow, DebuggableException);

struct ConstByteRange {
    const char* first;
    const char* last;
    bool Empty() const { return !(first < last); }
    std::size_t Length() const { return Empty() ? 0 : static_cast<std::size_t>(last - first); }
};

// The base is the identity filter.
class DataFilter {
public:
    virtual ~DataFilter() = default;
    virtual void Filter(ConstByteRange& input, ByteRange& output);
    virtual bool Drained() { return true; }
    virtual void Flush(ByteRange&) {}
};

namespace Ascii {

// A to Z become a to z; every other byte, including all above 0x7F, is copied unchanged.
class CaseLoweringFilter : public DataFilter {
public:
    void Filter(ConstByteRange& input, ByteRange& output) override;
};

// a to z become A to Z.
class CaseRaisingFilter : public DataFilter {
public:
    void Filter(ConstByteRange& input, ByteRange& output) override;
};

}  // namespace Ascii
