#include "com/TypeInfoCache.h"

#include "com/Module.h"
#include "com/OwnTypeLibrary.h"
#include "com/TVKVerimarkMod.h"

#include <oleauto.h>

const GUID& ServerTypeLibrary() { return LIBID_TVKVERIMARKMODLib; }

HRESULT TypeInfoCache::Get(LCID, ITypeInfo** info)
{
    std::lock_guard lock(mutex_);
    if (!info_) {
        UniqueInterface<ITypeLib> library;
        HRESULT hr = LoadOwnTypeLibrary(library.Put());
        if (FAILED(hr))
            return hr;
        UniqueInterface<ITypeInfo> loaded;
        if (FAILED(hr = library.Get()->GetTypeInfoOfGuid(iid_, loaded.Put())))
            return hr;
        // The member names, for the exact-match lookup. Everything that may fail comes
        // before the cache takes the type information: a failure leaves it as it was.
        std::vector<Member> members;
        TypeAttributes attributes(loaded.Get());
        if (SUCCEEDED(loaded.Get()->GetTypeAttr(attributes.Put()))) {
            for (UINT i = 0; i < attributes->cFuncs; ++i) {
                FunctionDescription function(loaded.Get());
                if (FAILED(loaded.Get()->GetFuncDesc(i, function.Put())))
                    continue;
                UniqueBstr name;
                UINT got = 0;
                if (SUCCEEDED(loaded.Get()->GetNames(function->memid, name.Put(), 1, &got)) && got == 1)
                    members.push_back({std::wstring(name.Get(), SysStringLen(name.Get())), function->memid});
            }
        }
        if (!registered_) {
            Module::AtUnload([this] { Release(); });
            registered_ = true;
        }
        members_ = std::move(members);
        info_ = std::move(loaded);
    }
    *info = info_.Get();
    return S_OK;
}

HRESULT TypeInfoCache::GetIDsOfNames(LCID locale, LPOLESTR* names, UINT count, DISPID* ids)
{
    ITypeInfo* info = nullptr;
    const HRESULT hr = Get(locale, &info);
    if (FAILED(hr))
        return hr;
    if (count == 1 && names && names[0]) {
        const std::wstring_view wanted = names[0];
        for (auto it = members_.rbegin(); it != members_.rend(); ++it)
            if (it->name.size() == wanted.size() && it->name == wanted) {
                ids[0] = it->id;
                return S_OK;
            }
    }
    return info->GetIDsOfNames(names, count, ids);
}

void TypeInfoCache::Release()
{
    std::lock_guard lock(mutex_);
    info_.Reset();
    members_.clear();
}
