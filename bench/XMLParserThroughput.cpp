// Parses generated responses of 1 000, 100 000 and 1 000 000 items with the tree parser
// in 65568-byte pieces, builds the items (six texts each), and prints MB/s, items/s and
// the peak working set. Run as:
//   bench_xml_parser generate <dir>        writes items-<n>.xml
//   bench_xml_parser measure <file>        one line of figures for one document
#include "bench/ResponseDocument.h"
#include "text/Win32.h"
#include "xml/XMLTreeParserPL.h"

#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Item {
    CompactText texts[6];
};

const std::string_view itemFields[6] = {"Designator", "Result", "ResultType", "EvaluationTime", "Description", "Comment"};

std::size_t WorkingSet(bool peak)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize;
}

int Generate(const std::string& dir)
{
    for (std::uint32_t n : {1000u, 100000u, 1000000u}) {
        const std::string path = dir + "\\items-" + std::to_string(n) + ".xml";
        std::ofstream(path, std::ios::binary) << MakeResponseDocument(n);
        std::printf("wrote %s\n", path.c_str());
    }
    return 0;
}

int Measure(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer(65568);
    const std::size_t before = WorkingSet(false);
    const auto start = std::chrono::steady_clock::now();
    std::size_t bytes = 0;
    std::vector<Item> items;
    std::shared_ptr<const TreeArena> texts;  // the items' longer texts stay where the tree put them
    double parsed = 0, built = 0;
    {
        XMLTreeParserPL parser;
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
            parser.Feed(buffer.data(), buffer.data() + in.gcount());
            bytes += static_cast<std::size_t>(in.gcount());
        }
        parsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        texts = parser.TextStorage();
        std::size_t count = 0;
        for (const XMLElementPL& child : parser.Root()->ChildList())
            count += child.Name().View() == "ResponseItem";
        items.reserve(count);
        for (XMLElementPL& child : parser.Root()->TrimChildren()) {
            if (child.Name().View() != "ResponseItem")
                continue;
            Item& item = items.emplace_back();
            for (XMLElementPL& field : child.TrimChildren())
                for (int f = 0; f < 6; ++f)
                    if (field.Name().View() == itemFields[f])
                        item.texts[f] = field.TakeText();
        }
        built = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::size_t peak = WorkingSet(true);
    std::fprintf(stderr, "phases: parse %.3f s, build items %.3f s, free tree %.3f s\n", parsed, built - parsed,
                 seconds - built);
    std::printf("%zu items %zu bytes %.1f MB/s %.0f items/s peak %.1f MB growth %.2fx of document\n", items.size(),
                bytes, bytes / 1e6 / seconds, items.size() / seconds, peak / 1e6,
                static_cast<double>(peak - before) / bytes);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "generate")
        return Generate(argv[2]);
    if (mode == "measure")
        return Measure(argv[2]);
    std::fprintf(stderr, "usage: bench_xml_parser generate <dir> | measure <file>\n");
    return 2;
}
