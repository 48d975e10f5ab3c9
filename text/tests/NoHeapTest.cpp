// Short texts never touch the heap: every global allocation is counted here.
#include "text/CodePageConversion.h"
#include "text/Format.h"
#include "text/Numerals.h"
#include "text/StringAlgorithms.h"
#include "text/Transcoding.h"
#include "text/UStringBuilder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size)
{
    ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

template <class F>
long AllocationsDuring(F work)
{
    const long before = allocations.load();
    work();
    return allocations.load() - before;
}

TEST(NoHeap, TextsOfUpTo64UnitsStayOffTheHeap)
{
    const std::string narrow64(64, 'n');
    const std::wstring wide64(64, L'w');
    EXPECT_EQ(AllocationsDuring([&] {
                  CopiedU8String copy{U8String(std::string_view(narrow64))};
                  CopiedU8String moved(std::move(copy));
                  CopiedU16String wide = TranscodeU8ToU16(moved);
                  CopiedU8String back = TranscodeU16ToU8(wide);
                  CopiedU16String lenient = ConvertUTF8ToUTF16(back);
                  CopiedU8String ansi = ConvertUTF8ToACP(std::string_view(narrow64));
                  CopiedU16String joined = Concatenate(std::wstring_view(L"abc"), std::wstring_view(L"def"));
                  CopiedU16String terminated = Terminated(std::move(joined));
                  UStringBuilder<UTF8> builder;
                  builder.Begin(nullptr);
                  builder.Append(narrow64.data(), narrow64.data() + 64);
                  builder.End();
                  CopiedU8String built = builder.Take();
              }),
              0);
}

TEST(NoHeap, NumeralsAndShortMessagesNeedNoAllocation)
{
    EXPECT_EQ(AllocationsDuring([] {
                  auto d = FormatDecimal64(18446744073709551615ull, 1);
                  auto h = FormatHex32(0xdeadbeef, 1);
                  CopiedU8String message = Format("Windows Error 0x{err}: {msg}", h, d);
                  (void)ParseInt32("-2147483648");
              }),
              0);
}

TEST(NoHeap, ReplaceAllStartsWithRoomFor256Units)
{
    // Path normalisation builds into one 256-unit buffer up front, so typical paths never regrow.
    EXPECT_EQ(AllocationsDuring([] {
                  CopiedU16String replaced = ReplaceAll(std::wstring_view(L"a/b"), std::wstring_view(L"/"),
                                                        std::wstring_view(L"\\"));
                  EXPECT_EQ(replaced.Capacity(), 256u);
              }),
              1);
}

TEST(NoHeap, The65thUnitTakesExactlyOneAllocation)
{
    const std::string narrow65(65, 'n');
    EXPECT_EQ(AllocationsDuring([&] { CopiedU16String wide = TranscodeU8ToU16(std::string_view(narrow65)); }), 1);
}

}  // namespace
