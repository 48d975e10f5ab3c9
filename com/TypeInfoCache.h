#pragma once
// The type information of one dual interface, loaded from the server's own type library
// on first use and kept until the library is unloaded, with a table of its member names for
// the exact-match lookup that comes before the type information's own.
#include "text/ComResource.h"

#include <oaidl.h>

#include <mutex>
#include <string>
#include <vector>

class TypeInfoCache {
public:
    explicit TypeInfoCache(const IID& iid) : iid_(iid) {}
    TypeInfoCache(const TypeInfoCache&) = delete;
    TypeInfoCache& operator=(const TypeInfoCache&) = delete;
    // Caches live as long as the library. A real unload has released what they held before
    // this runs (see Module::AtUnload); at the end of the process nothing may call into
    // another library, and the system takes everything back, so nothing is released here.
    ~TypeInfoCache() { (void)info_.Detach(); }

    // The cached type information (no reference added for the caller), or the load's failure.
    HRESULT Get(LCID locale, ITypeInfo** info);
    // A single name is looked up by exact length and characters first, from the last member
    // to the first; otherwise (or when that finds nothing) by the type information, which
    // ignores case.
    HRESULT GetIDsOfNames(LCID locale, LPOLESTR* names, UINT count, DISPID* ids);

private:
    struct Member {
        std::wstring name;
        DISPID id;
    };
    void Release();

    const IID& iid_;
    std::mutex mutex_;
    UniqueInterface<ITypeInfo> info_;  // released at unload
    std::vector<Member> members_;
    bool registered_ = false;          // for the release at unload
};

// LIBID_TVKVERIMARKMODLib, version 1.0.
const GUID& ServerTypeLibrary();
