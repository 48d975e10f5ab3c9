#pragma once
// An owning pointer that copies what it points to when it is copied.
#include <memory>

template <class T>
class DuplicatingPtr {
public:
    DuplicatingPtr() noexcept = default;
    explicit DuplicatingPtr(std::unique_ptr<T> owned) noexcept : owned_(std::move(owned)) {}
    DuplicatingPtr(const DuplicatingPtr& other) : owned_(other.owned_ ? std::make_unique<T>(*other.owned_) : nullptr) {}
    DuplicatingPtr(DuplicatingPtr&&) noexcept = default;
    DuplicatingPtr& operator=(const DuplicatingPtr& other)
    {
        if (this != &other)
            owned_ = other.owned_ ? std::make_unique<T>(*other.owned_) : nullptr;
        return *this;
    }
    DuplicatingPtr& operator=(DuplicatingPtr&&) noexcept = default;

    T* get() const noexcept { return owned_.get(); }
    T& operator*() const noexcept { return *owned_; }
    T* operator->() const noexcept { return owned_.get(); }
    explicit operator bool() const noexcept { return owned_ != nullptr; }
    // The object, created empty on first use.
    T& Ensure()
    {
        if (!owned_)
            owned_ = std::make_unique<T>();
        return *owned_;
    }

private:
    std::unique_ptr<T> owned_;
};
