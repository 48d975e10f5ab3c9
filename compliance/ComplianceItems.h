#pragma once
// The result items of a response, packed: each item is one record of its six texts, each
// text after its length (a base-128 number, one byte below 128), in blocks that are never
// moved; an index of blocks points at the records. (A large item's texts stay in the
// buffer they were gathered in, and its record says where.) An item costs its texts, six bytes or
// a few more, and one pointer, so even a million empty items take less room than the
// document that names them, and nothing is copied as the list grows.
#include "text/UString.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// One text of an item, a view into its response's storage.
struct ItemText : U8String {
    ItemText() = default;
    ItemText(const char* first, const char* last) : U8String(first, last) {}
    std::string_view StringView() const { return View(); }
};

// Six texts, in this order, stored exactly as the response document gave them. The views
// last as long as the response they were read from.
struct ComplianceResultItem {
    ItemText designator, result, resultType, evaluationTime, description, comment;
};

class ComplianceItems {
public:
    static constexpr std::size_t FieldCount = 6;
    using Texts = std::array<U8String, FieldCount>;

    ComplianceItems() = default;
    ComplianceItems(ComplianceItems&&) noexcept = default;
    ComplianceItems& operator=(ComplianceItems&&) noexcept = default;
    ComplianceItems(const ComplianceItems&) = delete;
    ComplianceItems& operator=(const ComplianceItems&) = delete;

    std::size_t size() const noexcept { return count_; }
    bool empty() const noexcept { return count_ == 0; }
    ComplianceResultItem operator[](std::size_t index) const noexcept;

    // Appends an item of these texts (copied).
    void Add(const Texts& texts);
    // Appends an item whose texts are the spans (offset, length) of `bytes`, which the
    // items take over instead of copying: for a large item, whose copy would double it.
    void Adopt(std::string&& bytes, const std::array<std::pair<std::size_t, std::size_t>, FieldCount>& spans);
    // No items, and the memory given back.
    void Clear() noexcept;

private:
    static constexpr std::size_t IndexBlock = 4096;
    static constexpr std::size_t BytesBlock = std::size_t{1} << 20;

    char* Room(std::size_t bytes);

    std::vector<std::unique_ptr<const char*[]>> index_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::vector<std::string> adopted_;
    char* next_ = nullptr;
    char* end_ = nullptr;
    std::size_t blockSize_ = 0;
    std::size_t count_ = 0;
};
