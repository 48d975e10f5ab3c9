#pragma once
// Collects received text into a CopiedUString, sized from a hint up front.
#include "text/CopiedUString.h"
#include "text/UTextReceiver.h"

template <class E>
class UStringBuilder : public UTextReceiver<E> {
public:
    using Unit = typename E::Unit;

    explicit UStringBuilder(std::uint32_t sizeHint = 0) : sizeHint_(sizeHint), startMark_(storage_.Begin()) {}

    // Starts afresh: storage of the hinted capacity (at least 64), whatever was collected is dropped.
    void Begin(void* context) override;
    void Append(const Unit* first, const Unit* last) override { storage_.Append({first, last}); }
    std::uint32_t Measure(const Unit* first, const Unit* last) override;

    // Moves the collected text out; the builder is left empty.
    CopiedUString<E> Take() { return std::move(storage_); }

private:
    std::uint32_t sizeHint_;
    CopiedUString<E> storage_;
    const Unit* startMark_;
};

extern template class UStringBuilder<UTF8>;
extern template class UStringBuilder<UTF16>;
