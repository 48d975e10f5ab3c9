#pragma once
// One class factory per creatable class, kept by the module from its first request to
// unload. While a client holds it besides the module, it holds the module lock once.
#include "text/Win32.h"

#include <unknwn.h>

#include <atomic>

using CreateFunction = HRESULT (*)(IUnknown* outer, REFIID iid, void** object);

class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(CreateFunction create) : create_(create) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    CreateFunction create_;
    std::atomic<ULONG> references_{1};  // the module's own
};
