#pragma once
// Owns a buffer that Windows allocated for us (FormatMessage's) and gives it back with LocalFree.

// LocalFree refused to release a buffer. Carries nothing and derives from nothing.
class LocalFreeFailed {
};

class LocalMemoryHolder {
public:
    explicit LocalMemoryHolder(void* memory = nullptr) noexcept : memory_(memory) {}
    LocalMemoryHolder(const LocalMemoryHolder&) = delete;
    LocalMemoryHolder& operator=(const LocalMemoryHolder&) = delete;
    // A destructor cannot report a refusal; call Reset to hear of it.
    ~LocalMemoryHolder();

    // Releases the buffer now; throws LocalFreeFailed when the system refuses.
    void Reset(void* memory = nullptr);
    void* Get() const noexcept { return memory_; }

private:
    void* memory_;
};
