#pragma once
// One element of a parsed document: name, attributes, the character data directly inside
// it, and its children. Copying copies the whole subtree.
#include "xml/CompactText.h"
#include "xml/DuplicatingPtr.h"
#include "xml/NodePool.h"
#include "xml/SharedText.h"

#include <list>
#include <vector>

struct XMLAttributePL {
    SharedText name;
    SharedText value;
};

class XMLElementPL {
public:
    using Children = std::list<XMLElementPL, PoolAllocator<XMLElementPL>>;
    using PoolRef = std::shared_ptr<NodePool>;
    using Attributes = std::vector<XMLAttributePL>;

    XMLElementPL() = default;
    XMLElementPL(SharedText name, Attributes attributes);
    // The copy's reuse position stands at the same child as the original's; the copied
    // subtree gets a node pool of its own.
    XMLElementPL(const XMLElementPL& other);
    XMLElementPL(XMLElementPL&&) noexcept = default;
    XMLElementPL& operator=(XMLElementPL other) noexcept;

    U8String Name() const { return name_; }
    // In document order, duplicates kept; empty when there are none.
    const Attributes& AttributeList() const;
    U8String Text() const { return text_; }
    // The text, to be moved out by a reader that is done with the tree.
    CompactText& MutableText() { return text_; }
    void AppendText(U8String text) { text_.Append(text); }

    // Reuses this element for another with the same place in the tree: new name and
    // attributes, no text, and its children are overwritten in order by those that follow.
    void Reinitialise(SharedText name, Attributes attributes, const PoolRef& pool = {});
    // The child that a new start tag inside this element becomes: the next one to be
    // overwritten after a reinitialisation, or a new one at the end. New children lists
    // take their nodes from `pool` (the heap without one).
    XMLElementPL& NextChild(SharedText name, Attributes attributes, const PoolRef& pool = {});
    // Drops the children that a reinitialisation left without replacement; returns the children.
    Children& TrimChildren();
    // The children as they stand, without trimming.
    const Children* ChildList() const { return children_.get(); }

private:
    void SetAttributes(Attributes attributes);
    Children& EnsureChildren(const PoolRef& pool);
    void CopyFrom(const XMLElementPL& other, const PoolRef& pool);

    SharedText name_;
    DuplicatingPtr<Attributes> attributes_;
    CompactText text_;
    DuplicatingPtr<Children> children_;
    // The next child to overwrite after a reinitialisation; a null iterator when not set.
    Children::iterator reuse_{};
};
