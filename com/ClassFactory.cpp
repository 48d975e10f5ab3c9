#include "com/ClassFactory.h"

#include "com/EntryPoint.h"
#include "com/Module.h"

HRESULT ClassFactory::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG ClassFactory::AddRef()
{
    const ULONG count = ++references_;
    if (count == 2)
        Module::Lock();
    return count;
}

ULONG ClassFactory::Release()
{
    const ULONG count = --references_;
    if (count == 1)
        Module::Unlock();
    if (count == 0)
        delete this;
    return count;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object)
{
    return GuardedExport([&] {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer && !IsEqualIID(iid, IID_IUnknown))
            return CLASS_E_NOAGGREGATION;
        return create_(outer, iid, object);
    });
}

HRESULT ClassFactory::LockServer(BOOL lock)
{
    if (lock)
        Module::Lock();
    else
        Module::Unlock();
    return S_OK;
}
