#pragma once
// Up to N bytes of text without allocation, always followed by two zero bytes so that it
// reads as a zero-terminated text in 8-bit and 16-bit terms alike.
#include "errors/DebuggableException.h"
#include "text/UString.h"

#include <cstdint>
#include <cstring>

VERIMARK_PLAIN_EXCEPTION(ConstDataCapacityExceeded, DebuggableException);

template <std::uint32_t N>
class ConstData {
public:
    ConstData() noexcept { storage_[0] = storage_[1] = 0; }
    explicit ConstData(U8String text) { Assign(text); }

    // The length is checked before anything is copied.
    void Assign(U8String text)
    {
        const std::size_t n = text.Length();
        if (n > N)
            throw ConstDataCapacityExceeded();
        if (n)
            std::memcpy(storage_, text.first, n);
        length_ = static_cast<std::uint32_t>(n);
        storage_[n] = 0;
        storage_[n + 1] = 0;
    }

    std::uint32_t Length() const noexcept { return length_; }
    const char* Text() const noexcept { return storage_; }
    operator U8String() const noexcept { return {storage_, storage_ + length_}; }
    std::string_view View() const noexcept { return {storage_, length_}; }

private:
    std::uint32_t length_ = 0;
    char storage_[N + 2];
};
