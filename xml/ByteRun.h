#pragma once
// The parser's growable byte buffers (pending text, an entity, a tag name): appending a
// short run, which most are, copies it byte by byte, cheaper than a call into the
// runtime's memcpy and than a string's per-byte bookkeeping; longer runs go through memcpy.
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

class ByteRun {
public:
    ByteRun() = default;
    ByteRun(const ByteRun&) = delete;
    ByteRun& operator=(const ByteRun&) = delete;

    void Append(const char* first, const char* last)
    {
        const auto n = static_cast<std::size_t>(last - first);
        if (capacity_ - size_ < n)
            Grow(n);
        char* to = bytes_.get() + size_;
        if (n > 16)
            std::memcpy(to, first, n);
        else
            for (std::size_t i = 0; i < n; ++i)
                to[i] = first[i];
        size_ += n;
    }
    void Append(char c)
    {
        if (size_ == capacity_)
            Grow(1);
        bytes_[size_++] = c;
    }
    void Assign(char c)
    {
        size_ = 0;
        Append(c);
    }
    void Clear() noexcept { size_ = 0; }

    bool Empty() const noexcept { return size_ == 0; }
    std::size_t Size() const noexcept { return size_; }
    const char* Data() const noexcept { return bytes_.get(); }
    std::string_view View() const noexcept { return {bytes_.get(), size_}; }
    char Front() const noexcept { return bytes_[0]; }

private:
    void Grow(std::size_t more)
    {
        std::size_t capacity = capacity_ < 32 ? 32 : 2 * capacity_;
        while (capacity - size_ < more)
            capacity *= 2;
        std::unique_ptr<char[]> grown(new char[capacity]);
        if (size_ != 0)
            std::memcpy(grown.get(), bytes_.get(), size_);
        bytes_ = std::move(grown);
        capacity_ = capacity;
    }

    std::unique_ptr<char[]> bytes_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};
