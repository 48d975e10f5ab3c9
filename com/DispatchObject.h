#pragma once
// The common body of the server's objects: IUnknown that answers exactly IUnknown, the
// object's dual interface and IDispatch; plain or aggregated creation; IDispatch through
// the type information of the registered type library.
#include "com/EntryPoint.h"
#include "com/Module.h"
#include "com/TypeInfoCache.h"

#include <new>

template <class Interface, const IID& InterfaceId>
class DispatchObject : public Interface {
public:
    // The new object's unknown: the inner one when aggregated (to be held by the outer),
    // otherwise the object itself. E_OUTOFMEMORY when it cannot be allocated.
    template <class Derived>
    static HRESULT Create(IUnknown* outer, REFIID iid, void** object)
    {
        Derived* created = new (std::nothrow) Derived();
        if (!created)
            return E_OUTOFMEMORY;
        if (outer)
            created->controlling_ = outer;
        // The inner unknown holds one reference while it is asked: a failed query then
        // destroys the object as the reference goes.
        created->inner_.AddRef();
        HRESULT hr = S_OK;
        if (!outer) {
            hr = created->inner_.QueryInterface(iid, object);
        } else if (IsEqualIID(iid, IID_IUnknown)) {
            created->inner_.AddRef();
            *object = &created->inner_;
        } else {
            hr = CLASS_E_NOAGGREGATION;
        }
        created->inner_.Release();
        return hr;
    }

    // IUnknown goes to the controlling unknown: the outer one when aggregated.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return controlling_->QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return controlling_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return controlling_->Release(); }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override
    {
        return GuardedMember([&] {
            if (index != 0)
                return DISP_E_BADINDEX;
            if (!info)
                return E_POINTER;
            *info = nullptr;
            ITypeInfo* cached = nullptr;
            const HRESULT hr = typeInfo_.Get(locale, &cached);
            if (SUCCEEDED(hr)) {
                cached->AddRef();
                *info = cached;
            }
            return hr;
        });
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override
    {
        return GuardedMember([&] { return typeInfo_.GetIDsOfNames(locale, names, count, ids); });
    }
    // The member it reaches through the type information reports its own failures.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override
    {
        return GuardedExport([&] {
            ITypeInfo* info = nullptr;
            const HRESULT hr = typeInfo_.Get(locale, &info);
            if (FAILED(hr))
                return hr;
            return info->Invoke(static_cast<Interface*>(this), member, flags, parameters, result, exception,
                                argumentError);
        });
    }

protected:
    DispatchObject() { Module::Lock(); }
    virtual ~DispatchObject() { Module::Unlock(); }

private:
    // Owns the object's life: answers the interfaces, counts the references (plainly:
    // the objects live in one apartment).
    class Inner final : public IUnknown {
    public:
        explicit Inner(DispatchObject& owner) : owner_(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
        {
            if (!object)
                return E_POINTER;
            if (IsEqualIID(iid, IID_IUnknown)) {
                *object = owner_.controlling_ == this ? static_cast<IUnknown*>(static_cast<Interface*>(&owner_))
                                                      : static_cast<IUnknown*>(this);
            } else if (IsEqualIID(iid, InterfaceId) || IsEqualIID(iid, IID_IDispatch)) {
                *object = static_cast<Interface*>(&owner_);
            } else {
                *object = nullptr;
                return E_NOINTERFACE;
            }
            static_cast<IUnknown*>(*object)->AddRef();
            return S_OK;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
        ULONG STDMETHODCALLTYPE Release() override
        {
            const ULONG left = --references_;
            if (left == 0)
                delete &owner_;
            return left;
        }

    private:
        DispatchObject& owner_;
        ULONG references_ = 0;
    };

    static inline TypeInfoCache typeInfo_{InterfaceId};
    Inner inner_{*this};
    IUnknown* controlling_ = &inner_;
};
