#include "com/TypeInfoCache.h"

#include "com/Module.h"
#include "com/TVKVerimarkMod.h"

#include <oleauto.h>

const GUID& ServerTypeLibrary() { return LIBID_TVKVERIMARKMODLib; }

HRESULT TypeInfoCache::Get(LCID locale, ITypeInfo** info)
{
    std::lock_guard lock(mutex_);
    if (!info_) {
        ITypeLib* library = nullptr;
        HRESULT hr = LoadRegTypeLib(LIBID_TVKVERIMARKMODLib, 1, 0, locale, &library);
        // Windows falls back to the nearest registered locale; Wine only to the primary
        // language and neutral, so a caller's default locale (0x400, 0x800) misses the
        // library's own 0x409. Ask for that one, as Windows would have found it.
        if (hr == TYPE_E_LIBNOTREGISTERED && locale != 0x409)
            hr = LoadRegTypeLib(LIBID_TVKVERIMARKMODLib, 1, 0, 0x409, &library);
        if (FAILED(hr))
            return hr;
        ITypeInfo* loaded = nullptr;
        hr = library->GetTypeInfoOfGuid(iid_, &loaded);
        library->Release();
        if (FAILED(hr))
            return hr;
        // The member names, for the exact-match lookup.
        TYPEATTR* attributes = nullptr;
        if (SUCCEEDED(loaded->GetTypeAttr(&attributes))) {
            for (UINT i = 0; i < attributes->cFuncs; ++i) {
                FUNCDESC* function = nullptr;
                if (FAILED(loaded->GetFuncDesc(i, &function)))
                    continue;
                BSTR name = nullptr;
                UINT got = 0;
                if (SUCCEEDED(loaded->GetNames(function->memid, &name, 1, &got)) && got == 1) {
                    members_.push_back({std::wstring(name, SysStringLen(name)), function->memid});
                    SysFreeString(name);
                }
                loaded->ReleaseFuncDesc(function);
            }
            loaded->ReleaseTypeAttr(attributes);
        }
        info_ = loaded;
        Module::AtUnload([this] { Release(); });
    }
    *info = info_;
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
    if (info_)
        info_->Release();
    info_ = nullptr;
    members_.clear();
}
