#pragma once
// Encoding tags and the non-owning text range every text operation takes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string_view>

// UTF-8 text: bytes. Held as char so that literals and the narrow Windows and runtime
// interfaces need no casts; every ordering compares them as unsigned bytes.
struct UTF8 {
    using Unit = char;
};
// UTF-16 text: the Windows wide character.
struct UTF16 {
    using Unit = wchar_t;
};

// A range [first, last) of code units. A range whose first is not below last is empty,
// whatever the pointers are. It carries no terminator and owns nothing.
template <class E>
struct UString {
    using Unit = typename E::Unit;

    const Unit* first = nullptr;
    const Unit* last = nullptr;

    constexpr UString() = default;
    constexpr UString(const Unit* f, const Unit* l) : first(f), last(l) {}
    // A zero-terminated text; null is the empty range.
    constexpr UString(const Unit* text)
        : first(text), last(text ? text + std::basic_string_view<Unit>(text).size() : text)
    {
    }
    constexpr UString(std::basic_string_view<Unit> view) : first(view.data()), last(view.data() + view.size()) {}

    constexpr std::size_t Length() const { return first < last ? static_cast<std::size_t>(last - first) : 0; }
    constexpr bool Empty() const { return !(first < last); }
    constexpr std::basic_string_view<Unit> View() const { return {first, Length()}; }
};

using U8String = UString<UTF8>;
using U16String = UString<UTF16>;

// Byte-wise equality and ordering (UTF-8 bytes compared as unsigned; a proper prefix
// orders before the longer text).
template <class E>
bool operator==(UString<E> a, UString<E> b)
{
    return a.View() == b.View();
}
inline int CompareBytes(U8String a, U8String b)
{
    const std::size_t n = a.Length() < b.Length() ? a.Length() : b.Length();
    if (int c = n ? std::memcmp(a.first, b.first, n) : 0)
        return c;
    return a.Length() < b.Length() ? -1 : (a.Length() > b.Length() ? 1 : 0);
}
