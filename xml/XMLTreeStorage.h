#pragma once
// Everything a parsed tree is made of: its elements, tags and names in one arena, the
// character data of its elements in another. The text arena is shared so that readers
// who take texts out of the tree (XMLElementPL::TakeText) can keep it after the tree is gone.
#include "xml/TreeArena.h"
#include "xml/XMLElementPL.h"

#include <memory>
#include <vector>

class XMLTreeStorage {
public:
    XMLTreeStorage() : texts_(std::make_shared<TreeArena>()) {}
    XMLTreeStorage(const XMLTreeStorage&) = delete;
    XMLTreeStorage& operator=(const XMLTreeStorage&) = delete;

    // A new element, without text or children.
    XMLElementPL& NewElement(const XMLElementTag* tag)
    {
        return *Create<XMLElementPL>(tag);
    }
    // A new object in the element arena, which never destroys it.
    template <class T, class... Arguments>
    T* Create(Arguments&&... arguments)
    {
        return new (nodes_.Allocate<T>()) T{std::forward<Arguments>(arguments)...};
    }

    // The tag of a start tag as the parser delivers it. Names repeat: a response has a
    // handful of them a million times, and equal names without attributes share one tag.
    const XMLElementTag* Tag(U8String name, XMLAttributeSpan attributes);
    // The same tag, kept in this storage.
    const XMLElementTag* Tag(const XMLElementTag& other);

    TreeArena& Texts() noexcept { return *texts_; }
    const std::shared_ptr<TreeArena>& SharedTexts() const noexcept { return texts_; }

private:
    const XMLElementTag* Intern(U8String name);
    StoredText Store(std::string_view text);
    // A tag of its own: the name and `count` attributes that attribute(i) gives.
    template <class Attribute>
    const XMLElementTag* NewTag(std::string_view name, std::size_t count, Attribute attribute);

    TreeArena nodes_;
    std::shared_ptr<TreeArena> texts_;
    std::vector<const XMLElementTag*> names_;
    std::size_t lastHit_ = 0;
};
