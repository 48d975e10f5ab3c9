#pragma once
// A sink for text that arrives in pieces: Begin, any number of Append, End.
#include "text/UString.h"

#include <cstdint>

template <class E>
class UTextReceiver {
public:
    using Unit = typename E::Unit;

    virtual ~UTextReceiver() = default;
    // The argument is only passed along; producers hand over the result they will fill.
    virtual void Begin(void* /*context*/) {}
    virtual void Append(const Unit* /*first*/, const Unit* /*last*/) {}
    virtual void End() {}
    // The length the received text would have after appending [first, last).
    virtual std::uint32_t Measure(const Unit* /*first*/, const Unit* /*last*/) { return 0; }
};
