// Format with fuzzed templates and values. Each value lives in a heap block of exactly its
// length, so reading past one is caught by the address sanitizer.
#include "text/Format.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    // First byte: how many values; then the template and the values, split at zero bytes.
    const std::size_t count = data[0] % 5;
    std::vector<std::string> parts(1);
    for (std::size_t i = 1; i < size; ++i) {
        if (data[i] == 0)
            parts.emplace_back();
        else
            parts.back() += static_cast<char>(data[i]);
    }
    parts.resize(count + 1);
    std::vector<std::unique_ptr<char[]>> blocks;
    std::vector<U8String> values;
    std::size_t valueBytes = 0;
    for (std::size_t i = 1; i <= count; ++i) {
        blocks.emplace_back(new char[parts[i].size()]);
        std::memcpy(blocks.back().get(), parts[i].data(), parts[i].size());
        values.emplace_back(blocks.back().get(), blocks.back().get() + parts[i].size());
        valueBytes += parts[i].size();
    }
    const std::string& templateText = parts[0];
    std::vector<FormatBinding> bindings(count);
    try {
        const CopiedU8String result =
            FormatWithValues(U8String(std::string_view(templateText)), values.data(), bindings.data(), count);
        // Every rendered byte comes from the template, the escape texts or a value; a
        // variable renders at most... the longest escape is two bytes for "{_crlf}".
        const std::size_t variables = std::count(templateText.begin(), templateText.end(), '{');
        if (result.Length() > templateText.size() + variables * valueBytes + variables * 2)
            std::abort();
        if (templateText.find('{') == std::string::npos && result.StringView() != templateText)
            std::abort();
        if (result.Length() <= 64 ? !result.IsInline() : result.Capacity() != result.Length())
            std::abort();
    } catch (const BadFormatStringError&) {
    } catch (const TooManyFormatArguments&) {
    } catch (const TooFewFormatArguments&) {
    } catch (const UndefinedFormatVariable&) {
    } catch (const ImproperFormatVariableName&) {
    }
    return 0;
}
