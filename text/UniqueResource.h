#pragma once
// One owner template for every Win32 resource: handles, files, registry keys, mutexes,
// loaded modules, find handles; text/ComResource.h adds COM's interface pointers and
// strings. Nothing else in the code closes such a resource by hand.
#include "text/Win32.h"

#include <utility>

template <class Traits>
class UniqueResource {
public:
    using Value = typename Traits::Value;

    UniqueResource() noexcept : value_(Traits::Invalid()) {}
    explicit UniqueResource(Value value) noexcept : value_(value) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.Detach()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other)
            Reset(other.Detach());
        return *this;
    }
    ~UniqueResource() { Reset(); }

    Value Get() const noexcept { return value_; }
    bool Valid() const noexcept { return value_ != Traits::Invalid(); }
    explicit operator bool() const noexcept { return Valid(); }

    // For a call that hands out a new resource through an out-parameter: what was held is
    // closed first.
    Value* Put() noexcept
    {
        Reset();
        return &value_;
    }

    // Gives up ownership without closing (not COM's Release, which this never calls).
    Value Detach() noexcept { return std::exchange(value_, Traits::Invalid()); }
    // Closes what is held (a failure is not reported) and takes the new value.
    void Reset(Value value = Traits::Invalid()) noexcept
    {
        const Value old = std::exchange(value_, value);
        if (old != Traits::Invalid())
            Traits::Close(old);
    }
    // Closes what is held and says whether the system agreed; the owner is empty after.
    bool Close() noexcept
    {
        const Value old = Detach();
        return old == Traits::Invalid() || Traits::Close(old);
    }

private:
    Value value_;
};

namespace ResourceTraits {

struct Handle {
    using Value = HANDLE;
    static HANDLE Invalid() { return nullptr; }
    static bool Close(HANDLE h) { return CloseHandle(h) != FALSE; }
};

struct File {
    using Value = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Close(HANDLE h) { return CloseHandle(h) != FALSE; }
};

struct RegistryKey {
    using Value = HKEY;
    static HKEY Invalid() { return nullptr; }
    static bool Close(HKEY k) { return RegCloseKey(k) == ERROR_SUCCESS; }
};

struct Module {
    using Value = HMODULE;
    static HMODULE Invalid() { return nullptr; }
    static bool Close(HMODULE m) { return FreeLibrary(m) != FALSE; }
};

struct Find {
    using Value = HANDLE;
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Close(HANDLE h) { return FindClose(h) != FALSE; }
};

}  // namespace ResourceTraits

// Null is invalid: events, mutexes, processes.
using UniqueHandle = UniqueResource<ResourceTraits::Handle>;
// INVALID_HANDLE_VALUE is invalid: what CreateFileW returns.
using UniqueFile = UniqueResource<ResourceTraits::File>;
using UniqueRegistryKey = UniqueResource<ResourceTraits::RegistryKey>;
// What LoadLibraryExW returns.
using UniqueModule = UniqueResource<ResourceTraits::Module>;
// What FindFirstFileW returns.
using UniqueFind = UniqueResource<ResourceTraits::Find>;
