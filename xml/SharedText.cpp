#include "xml/SharedText.h"

#include <cstddef>
#include <cstring>
#include <new>

SharedText::SharedText(U8String text)
{
    const std::size_t n = text.Length();
    if (n == 0)
        return;
    void* memory = ::operator new(offsetof(Block, bytes) + n);
    block_ = new (memory) Block;
    block_->references.store(1, std::memory_order_relaxed);
    block_->length = static_cast<std::uint32_t>(n);
    std::memcpy(block_->bytes, text.first, n);
}

void SharedText::Release() noexcept
{
    if (block_ && block_->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        block_->~Block();
        ::operator delete(block_);
    }
    block_ = nullptr;
}
