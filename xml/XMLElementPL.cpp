#include "xml/XMLElementPL.h"

XMLElementPL::XMLElementPL(SharedText name, Attributes attributes) : name_(std::move(name))
{
    SetAttributes(std::move(attributes));
}

XMLElementPL::XMLElementPL(const XMLElementPL& other)
    : name_(other.name_), attributes_(other.attributes_), text_(other.text_), children_(other.children_),
      reuseSet_(other.reuseSet_)
{
    if (reuseSet_)
        reuse_ = std::next(children_->begin(), std::distance(other.children_->begin(), other.reuse_));
}

XMLElementPL& XMLElementPL::operator=(XMLElementPL other) noexcept
{
    name_ = std::move(other.name_);
    attributes_ = std::move(other.attributes_);
    text_ = std::move(other.text_);
    children_ = std::move(other.children_);
    reuse_ = other.reuse_;
    reuseSet_ = other.reuseSet_;
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

void XMLElementPL::Reinitialise(SharedText name, Attributes attributes)
{
    name_ = std::move(name);
    SetAttributes(std::move(attributes));
    text_.Clear();
    Children& children = children_.Ensure();
    reuse_ = children.begin();
    reuseSet_ = true;
}

XMLElementPL& XMLElementPL::NextChild(SharedText name, Attributes attributes)
{
    Children& children = children_.Ensure();
    if (reuseSet_ && reuse_ != children.end()) {
        XMLElementPL& child = *reuse_++;
        child.Reinitialise(std::move(name), std::move(attributes));
        return child;
    }
    return children.emplace_back(std::move(name), std::move(attributes));
}

XMLElementPL::Children& XMLElementPL::TrimChildren()
{
    Children& children = children_.Ensure();
    if (reuseSet_) {
        children.erase(reuse_, children.end());
        reuseSet_ = false;
    }
    return children;
}
