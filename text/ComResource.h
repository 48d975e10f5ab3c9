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

template <class T>
using UniqueInterface = UniqueResource<ResourceTraits::Interface<T>>;
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
