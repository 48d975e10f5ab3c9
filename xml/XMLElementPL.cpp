#include "xml/XMLElementPL.h"

#include "xml/XMLTreeStorage.h"

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
    if (other.links_ && other.links_->owned)
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
    if (links_ && links_->owned)
        delete links_->owned;
}

void XMLElementPL::Swap(XMLElementPL& other) noexcept
{
    std::swap(tag_, other.tag_);
    std::swap(links_, other.links_);
    text_.Swap(other.text_);
    // Siblings stay where they are: a swap exchanges contents, not places.
}

XMLElementPL::Links& XMLElementPL::EnsureLinks(XMLTreeStorage& storage)
{
    if (!links_)
        links_ = storage.Create<Links>();
    return *links_;
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
        to->text_.Clear();
        to->text_.AppendIn(storage.Texts(), from->text_);
        if (!from->links_ || !from->links_->first)
            continue;
        Links& links = to->EnsureLinks(storage);
        XMLElementPL* last = nullptr;
        for (const XMLElementPL* child = from->links_->first; child; child = child->next_) {
            XMLElementPL& copy = storage.NewElement(nullptr);
            (last ? last->next_ : links.first) = &copy;
            last = &copy;
            if (child == from->links_->cursor)
                links.cursor = &copy;
            pending.push_back({child, &copy});
        }
    }
}

CompactText XMLElementPL::TakeText() noexcept
{
    return CompactText(std::move(text_));
}

void XMLElementPL::AppendText(U8String text, XMLTreeStorage& storage)
{
    text_.AppendIn(storage.Texts(), text);
}

void XMLElementPL::Reinitialise(const XMLElementTag* tag) noexcept
{
    tag_ = tag;
    text_.Clear();
    if (links_)
        links_->cursor = nullptr;
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
    if (!links_)
        return Children();
    (links_->cursor ? links_->cursor->next_ : links_->first) = nullptr;
    return Children(links_->first);
}
