#pragma once
// One element of a parsed document: name, attributes, the character data directly inside
// it, and its children.
//
// The elements of a parsed tree live in their tree's storage (XMLTreeStorage) and are
// never destroyed one by one: the storage is freed whole, without walking the tree, so
// no depth of nesting can exhaust the stack. An element made by copying owns a storage
// of its own for the copied subtree.
#include "xml/CompactText.h"
#include "xml/XMLHandler.h"

#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <string_view>

class XMLTreeStorage;

// A text kept in a tree's storage: a name, or an attribute's name or value.
struct StoredText {
    const char* data = nullptr;
    std::uint32_t length = 0;

    U8String View() const noexcept { return {data, data + length}; }
    std::string_view StringView() const noexcept { return {data, length}; }
    std::uint32_t Length() const noexcept { return length; }
    bool Empty() const noexcept { return length == 0; }
};

struct XMLAttributePL {
    StoredText name;
    StoredText value;
};

// The name and attributes of a start tag. Tags without attributes are shared by every
// element of the same name.
struct XMLElementTag {
    StoredText name;
    const XMLAttributePL* attributes = nullptr;
    std::uint32_t attributeCount = 0;
};

class XMLElementPL {
public:
    // The children of an element in document order, as a range.
    template <class Element>
    class ChildRange {
    public:
        class iterator {
        public:
            using iterator_category = std::forward_iterator_tag;
            using value_type = XMLElementPL;
            using difference_type = std::ptrdiff_t;
            using pointer = Element*;
            using reference = Element&;

            iterator() = default;
            explicit iterator(Element* at) : at_(at) {}
            Element& operator*() const { return *at_; }
            Element* operator->() const { return at_; }
            iterator& operator++()
            {
                at_ = at_->next_;
                return *this;
            }
            iterator operator++(int)
            {
                iterator was = *this;
                ++*this;
                return was;
            }
            bool operator==(const iterator&) const = default;

        private:
            Element* at_ = nullptr;
        };

        ChildRange() = default;
        explicit ChildRange(Element* first) : first_(first) {}
        iterator begin() const { return iterator(first_); }
        iterator end() const { return iterator(); }
        bool empty() const { return first_ == nullptr; }
        Element& front() const { return *first_; }
        // Counts: O(n).
        std::size_t size() const { return static_cast<std::size_t>(std::distance(begin(), end())); }

    private:
        Element* first_ = nullptr;
    };
    using Children = ChildRange<XMLElementPL>;
    using ConstChildren = ChildRange<const XMLElementPL>;

    class Attributes {
    public:
        Attributes() = default;
        Attributes(const XMLAttributePL* first, std::uint32_t count) : first_(first), count_(count) {}
        const XMLAttributePL* begin() const { return first_; }
        const XMLAttributePL* end() const { return first_ + count_; }
        std::size_t size() const { return count_; }
        bool empty() const { return count_ == 0; }
        const XMLAttributePL& operator[](std::size_t i) const { return first_[i]; }

    private:
        const XMLAttributePL* first_ = nullptr;
        std::uint32_t count_ = 0;
    };

    XMLElementPL() = default;
    explicit XMLElementPL(const XMLElementTag* tag) noexcept : tag_(tag) {}
    // A deep copy with a storage of its own. The copy's reuse position stands at the same
    // child as the original's.
    XMLElementPL(const XMLElementPL& other);
    // Takes over the other's storage when it owns one; copies otherwise, since the
    // other's subtree belongs to a tree that may go away first.
    XMLElementPL(XMLElementPL&& other);
    // For elements outside any tree (made by default or by copying): an element of a tree
    // is changed only by its parser.
    XMLElementPL& operator=(XMLElementPL other) noexcept;
    ~XMLElementPL();

    U8String Name() const { return tag_ ? tag_->name.View() : U8String(); }
    // In document order, duplicates kept; empty when there are none.
    Attributes AttributeList() const
    {
        return tag_ ? Attributes(tag_->attributes, tag_->attributeCount) : Attributes();
    }
    U8String Text() const { return TextRef(); }
    // The text, for a reader that is done with the tree: the element is left without
    // text. A text longer than fits in place stays in the tree's text storage
    // (XMLTreeStorage::Texts), which the caller keeps as long as it keeps the text.
    CompactText TakeText() noexcept;

    // Adds character data, in `storage`.
    void AppendText(U8String text, XMLTreeStorage& storage);
    // Reuses this element for another with the same place in the tree: new tag, no text,
    // and its children are overwritten in order by those that follow.
    void Reinitialise(const XMLElementTag* tag) noexcept;
    // The child that a new start tag inside this element becomes: the next one to be
    // overwritten after a reinitialisation, or a new one at the end, in `storage`.
    XMLElementPL& NextChild(const XMLElementTag* tag, XMLTreeStorage& storage);
    // Drops the children that a reinitialisation left without replacement; returns the children.
    Children TrimChildren() noexcept;
    // The children as they stand, without trimming.
    ConstChildren ChildList() const noexcept
    {
        const Links* links = LinksOrNull();
        return ConstChildren(links ? links->first : nullptr);
    }

private:
    // Only elements with children, and elements that own a storage, have these.
    struct Links {
        XMLElementPL* first = nullptr;
        // The child last written since the element was created or reinitialised; the next
        // start tag overwrites the one after it. Null: overwrite from the first.
        XMLElementPL* cursor = nullptr;
        // Set for a copy outside any tree: the storage its subtree lives in.
        XMLTreeStorage* owned = nullptr;
        CompactText text;
    };

    // The last byte of the slot when it holds links: never the last byte of a text,
    // which is 0x80 to 0x8F in place and below 0x80 elsewhere.
    static constexpr unsigned char LinksMarker = 0xFF;

    unsigned char SlotTag() const noexcept
    {
        unsigned char tag;
        std::memcpy(&tag, slot_.bytes + sizeof slot_ - 1, 1);
        return tag;
    }
    Links* LinksOrNull() const noexcept
    {
        if (SlotTag() != LinksMarker)
            return nullptr;
        Links* links;
        std::memcpy(&links, slot_.bytes, sizeof links);
        return links;
    }
    CompactText& TextRef() noexcept
    {
        Links* links = LinksOrNull();
        return links ? links->text : slot_.text;
    }
    const CompactText& TextRef() const noexcept { return const_cast<XMLElementPL*>(this)->TextRef(); }
    Links& EnsureLinks(XMLTreeStorage& storage);
    void CopyFrom(const XMLElementPL& other, XMLTreeStorage& storage);
    void Swap(XMLElementPL& other) noexcept;

    const XMLElementTag* tag_ = nullptr;
    XMLElementPL* next_ = nullptr;  // the next sibling
    // A leaf's text, or, once the element has children, a pointer to its links (which
    // hold its text) and the marker. Most elements are leaves: they pay for no links.
    // The texts of elements are never on the heap (in place or in a storage), so they
    // need no destruction.
    union Slot {
        Slot() noexcept : text() {}
        ~Slot() {}
        CompactText text;
        char bytes[sizeof(CompactText)];
    } slot_;
};
static_assert(sizeof(XMLElementPL) == 2 * sizeof(void*) + sizeof(CompactText));
