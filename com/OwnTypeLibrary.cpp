#include "com/OwnTypeLibrary.h"

#include "com/Module.h"

#include <oleauto.h>

HRESULT LoadOwnTypeLibrary(ITypeLib** library, std::wstring* path)
{
    std::wstring module;
    HRESULT hr = Module::FileName(module);
    if (FAILED(hr))
        return hr;
    if (path)
        *path = module;
    if (SUCCEEDED(hr = LoadTypeLibEx(module.c_str(), REGKIND_NONE, library)))
        return hr;
    const std::size_t slash = module.find_last_of(L"\\/");
    const std::size_t dot = module.find_last_of(L'.');
    if (dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash))
        module.erase(dot);
    module += L".tlb";
    return LoadTypeLibEx(module.c_str(), REGKIND_NONE, library);
}
