#pragma once
// Owners of what COM and OLE Automation hand out: interface pointers, BSTRs, strings from
// the task allocator, and the attribute blocks a type description lends. Each releases
// what it holds in its destructor; nothing in the code releases these by hand.
#include "text/UniqueResource.h"

#include <oleauto.h>

namespace ResourceTraits {

template <class T>
struct Interface {
    using Value = T*;
    static T* Invalid() { return nullptr; }
    static bool Close(T* p)
    {
        p->Release();
        return true;
    }
};

struct Bstr {
    using Value = BSTR;
    static BSTR Invalid() { return nullptr; }
    static bool Close(BSTR text)
    {
        SysFreeString(text);
        return true;
    }
};

struct TaskMemory {
    using Value = LPOLESTR;
    static LPOLESTR Invalid() { return nullptr; }
    static bool Close(LPOLESTR text)
    {
        CoTaskMemFree(text);
        return true;
    }
};

}  // namespace ResourceTraits

// An interface pointer. The interfaces it asks for are named by their type, so the IID
// and the pointer's type cannot disagree.
template <class T>
class UniqueInterface : public UniqueResource<ResourceTraits::Interface<T>> {
public:
    using UniqueResource<ResourceTraits::Interface<T>>::UniqueResource;

    // The out-parameter of a call that hands out an interface as void** (QueryInterface,
    // CreateInstance, DllGetClassObject); what was held is released first.
    void** PutVoid() noexcept { return reinterpret_cast<void**>(this->Put()); }
    // QueryInterface for U, into `to`.
    template <class U>
    HRESULT Query(UniqueInterface<U>& to) const noexcept
    {
        return this->Get()->QueryInterface(__uuidof(U), to.PutVoid());
    }
    // U, or an empty owner when the object does not offer it.
    template <class U>
    UniqueInterface<U> Query() const noexcept
    {
        UniqueInterface<U> to;
        if (this->Get())
            Query(to);
        return to;
    }
};
using UniqueBstr = UniqueResource<ResourceTraits::Bstr>;
// A string the COM task allocator made (ProgIDFromCLSID's).
using UniqueTaskString = UniqueResource<ResourceTraits::TaskMemory>;

// A block that an interface lends and takes back through one of its own members
// (ITypeInfo's type attributes and function descriptions, ITypeLib's library attributes).
template <class Owner, class Block, void (STDMETHODCALLTYPE Owner::*Give)(Block*)>
class LentBlock {
public:
    explicit LentBlock(Owner* owner) : owner_(owner) {}
    LentBlock(const LentBlock&) = delete;
    LentBlock& operator=(const LentBlock&) = delete;
    ~LentBlock()
    {
        if (block_)
            (owner_->*Give)(block_);
    }

    Block** Put() noexcept { return &block_; }
    Block* operator->() const noexcept { return block_; }

private:
    Owner* owner_;
    Block* block_ = nullptr;
};

using TypeAttributes = LentBlock<ITypeInfo, TYPEATTR, &ITypeInfo::ReleaseTypeAttr>;
using FunctionDescription = LentBlock<ITypeInfo, FUNCDESC, &ITypeInfo::ReleaseFuncDesc>;
using LibraryAttributes = LentBlock<ITypeLib, TLIBATTR, &ITypeLib::ReleaseTLibAttr>;
