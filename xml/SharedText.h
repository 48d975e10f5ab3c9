#pragma once
// An immutable byte string whose storage is shared by its copies (reference counted), so
// the tree's many equal names and attribute copies cost one pointer each.
#include "text/UString.h"

#include <atomic>
#include <cstdint>

class SharedText {
public:
    SharedText() noexcept = default;
    explicit SharedText(U8String text);
    SharedText(const SharedText& other) noexcept : block_(other.block_) { Retain(); }
    SharedText(SharedText&& other) noexcept : block_(other.block_) { other.block_ = nullptr; }
    SharedText& operator=(SharedText other) noexcept
    {
        std::swap(block_, other.block_);
        return *this;
    }
    ~SharedText() { Release(); }

    U8String View() const noexcept
    {
        return block_ ? U8String(block_->bytes, block_->bytes + block_->length) : U8String();
    }
    operator U8String() const noexcept { return View(); }
    std::string_view StringView() const noexcept { return View().View(); }
    std::uint32_t Length() const noexcept { return block_ ? block_->length : 0; }
    bool Empty() const noexcept { return Length() == 0; }

private:
    struct Block {
        std::atomic<std::uint32_t> references;
        std::uint32_t length;
        char bytes[1];
    };

    void Retain() noexcept
    {
        if (block_)
            block_->references.fetch_add(1, std::memory_order_relaxed);
    }
    void Release() noexcept;

    Block* block_ = nullptr;
};
