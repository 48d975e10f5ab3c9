#include "xml/XMLElementPL.h"

XMLElementPL::XMLElementPL(SharedText name, Attributes attributes) : name_(std::move(name))
{
    SetAttributes(std::move(attributes));
}

XMLElementPL::XMLElementPL(const XMLElementPL& other)
{
    CopyFrom(other, other.children_ ? std::make_shared<NodePool>() : PoolRef());
}

void XMLElementPL::CopyFrom(const XMLElementPL& other, const PoolRef& pool)
{
    name_ = other.name_;
    attributes_ = other.attributes_;
    text_ = other.text_;
    if (!other.children_)
        return;
    Children& children = EnsureChildren(pool);
    for (const XMLElementPL& child : *other.children_)
        children.emplace_back().CopyFrom(child, pool);
    if (other.reuse_ != Children::iterator{})
        reuse_ = std::next(children.begin(), std::distance(other.children_->begin(), other.reuse_));
}

XMLElementPL::Children& XMLElementPL::EnsureChildren(const PoolRef& pool)
{
    if (!children_)
        children_ = DuplicatingPtr<Children>(std::make_unique<Children>(PoolAllocator<XMLElementPL>(pool)));
    return *children_;
}

XMLElementPL& XMLElementPL::operator=(XMLElementPL other) noexcept
{
    name_ = std::move(other.name_);
    attributes_ = std::move(other.attributes_);
    text_ = std::move(other.text_);
    children_ = std::move(other.children_);
    reuse_ = other.reuse_;
    return *this;
}

void XMLElementPL::SetAttributes(Attributes attributes)
{
    if (attributes.empty())
        attributes_ = {};
    else
        attributes_ = DuplicatingPtr<Attributes>(std::make_unique<Attributes>(std::move(attributes)));
}

const XMLElementPL::Attributes& XMLElementPL::AttributeList() const
{
    static const Attributes none;
    return attributes_ ? *attributes_ : none;
}

void XMLElementPL::Reinitialise(SharedText name, Attributes attributes, const PoolRef& pool)
{
    name_ = std::move(name);
    SetAttributes(std::move(attributes));
    text_.Clear();
    Children& children = EnsureChildren(pool);
    reuse_ = children.begin();
}

XMLElementPL& XMLElementPL::NextChild(SharedText name, Attributes attributes, const PoolRef& pool)
{
    Children& children = EnsureChildren(pool);
    if (reuse_ != Children::iterator{} && reuse_ != children.end()) {
        XMLElementPL& child = *reuse_++;
        child.Reinitialise(std::move(name), std::move(attributes), pool);
        return child;
    }
    return children.emplace_back(std::move(name), std::move(attributes));
}

XMLElementPL::Children& XMLElementPL::TrimChildren()
{
    Children& children = EnsureChildren({});
    if (reuse_ != Children::iterator{}) {
        children.erase(reuse_, children.end());
        reuse_ = {};
    }
    return children;
}
