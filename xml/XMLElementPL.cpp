#include "xml/XMLElementPL.h"

#include "xml/XMLTreeStorage.h"

#include <cstring>
#include <utility>
#include <vector>

XMLElementPL::XMLElementPL(const XMLElementPL& other)
{
    auto storage = std::make_unique<XMLTreeStorage>();
    CopyFrom(other, *storage);
    Links& links = EnsureLinks(*storage);
    links.owned = storage.release();
}

XMLElementPL::XMLElementPL(XMLElementPL&& other)
{
    const Links* links = other.LinksOrNull();
    if (links && links->owned)
        Swap(other);
    else
        *this = XMLElementPL(std::as_const(other));
}

XMLElementPL& XMLElementPL::operator=(XMLElementPL other) noexcept
{
    Swap(other);
    return *this;
}

XMLElementPL::~XMLElementPL()
{
    // Only a copy outside any tree owns something; the storage holds everything else,
    // this element's links included.
    if (const Links* links = LinksOrNull(); links && links->owned)
        delete links->owned;
}

void XMLElementPL::Swap(XMLElementPL& other) noexcept
{
    std::swap(tag_, other.tag_);
    std::swap(slot_.bytes, other.slot_.bytes);
    // Siblings stay where they are: a swap exchanges contents, not places.
}

XMLElementPL::Links& XMLElementPL::EnsureLinks(XMLTreeStorage& storage)
{
    if (Links* links = LinksOrNull())
        return *links;
    Links* links = storage.Create<Links>();
    links->text = std::move(slot_.text);
    std::memcpy(slot_.bytes, &links, sizeof links);
    std::memset(slot_.bytes + sizeof links, 0, sizeof slot_ - sizeof links);
    slot_.bytes[sizeof slot_ - 1] = static_cast<char>(LinksMarker);
    return *links;
}

void XMLElementPL::CopyFrom(const XMLElementPL& other, XMLTreeStorage& storage)
{
    // Iterative, with a stack of its own: a hostile document may nest a million deep.
    struct Pending {
        const XMLElementPL* from;
        XMLElementPL* to;
    };
    std::vector<Pending> pending{{&other, this}};
    while (!pending.empty()) {
        const auto [from, to] = pending.back();
        pending.pop_back();
        to->tag_ = from->tag_ ? storage.Tag(*from->tag_) : nullptr;
        to->TextRef().Clear();
        to->TextRef().AppendIn(storage.Texts(), from->TextRef());
        const Links* fromLinks = from->LinksOrNull();
        if (!fromLinks || !fromLinks->first)
            continue;
        Links& links = to->EnsureLinks(storage);
        XMLElementPL* last = nullptr;
        for (const XMLElementPL* child = fromLinks->first; child; child = child->next_) {
            XMLElementPL& copy = storage.NewElement(nullptr);
            (last ? last->next_ : links.first) = &copy;
            last = &copy;
            if (child == fromLinks->cursor)
                links.cursor = &copy;
            pending.push_back({child, &copy});
        }
    }
}

CompactText XMLElementPL::TakeText() noexcept
{
    return CompactText(std::move(TextRef()));
}

void XMLElementPL::AppendText(U8String text, XMLTreeStorage& storage)
{
    TextRef().AppendIn(storage.Texts(), text);
}

void XMLElementPL::Reinitialise(const XMLElementTag* tag) noexcept
{
    tag_ = tag;
    TextRef().Clear();
    if (Links* links = LinksOrNull())
        links->cursor = nullptr;
}

XMLElementPL& XMLElementPL::NextChild(const XMLElementTag* tag, XMLTreeStorage& storage)
{
    Links& links = EnsureLinks(storage);
    XMLElementPL* child = links.cursor ? links.cursor->next_ : links.first;
    if (child) {
        child->Reinitialise(tag);
    } else {
        child = &storage.NewElement(tag);
        (links.cursor ? links.cursor->next_ : links.first) = child;
    }
    links.cursor = child;
    return *child;
}

XMLElementPL::Children XMLElementPL::TrimChildren() noexcept
{
    Links* links = LinksOrNull();
    if (!links)
        return Children();
    (links->cursor ? links->cursor->next_ : links->first) = nullptr;
    return Children(links->first);
}
