#include "text/UStringBuilder.h"

template <class E>
void UStringBuilder<E>::Begin(void*)
{
    storage_ = CopiedUString<E>::WithCapacity(sizeHint_);
    startMark_ = storage_.Begin();
}

template <class E>
std::uint32_t UStringBuilder<E>::Measure(const Unit* first, const Unit* last)
{
    return storage_.Length() + static_cast<std::uint32_t>(UString<E>(first, last).Length());
}

template class UStringBuilder<UTF8>;
template class UStringBuilder<UTF16>;
