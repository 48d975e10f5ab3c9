// Parses generated responses of 1 000, 100 000 and 1 000 000 items with the tree parser
// in 65568-byte pieces, builds the items (six texts each), and prints MB/s, items/s and
// the peak working set. Run as:
//   bench_xml_parser generate <dir>        writes items-<n>.xml
//   bench_xml_parser measure <file>        one line of figures for one document
//   bench_xml_parser warm <file>           the same, on memory the process has used before
// The warm run parses three times in one process and reports the last: the memory is
// then already mapped, so the figure is what the parser and tree cost in processor time
// alone. Built natively too (scripts/bench.sh) to compare with libxml2 on equal terms.
#include "bench/ResponseDocument.h"
#include "xml/XMLTreeParserPL.h"

#ifdef _WIN32
#include "text/Win32.h"

#include <psapi.h>
#else
#include <malloc.h>
#include <sys/resource.h>
#endif

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Item {
    CompactText texts[6];
};

const std::string_view itemFields[6] = {"Designator", "Result", "ResultType", "EvaluationTime", "Description", "Comment"};

// The peak working set so far.
std::size_t PeakMemory()
{
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
#endif
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

struct Figures {
    std::size_t items = 0, bytes = 0;
    double parsed = 0, built = 0, seconds = 0;
};

Figures Measure(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer(65568);
    Figures figures;
    const auto start = std::chrono::steady_clock::now();
    const auto since = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    std::vector<Item> items;
    std::shared_ptr<const TreeArena> texts;  // the items' longer texts stay where the tree put them
    {
        XMLTreeParserPL parser;
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
            parser.Feed(buffer.data(), buffer.data() + in.gcount());
            figures.bytes += static_cast<std::size_t>(in.gcount());
        }
        figures.parsed = since();
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
        figures.built = since();
    }
    figures.seconds = since();
    figures.items = items.size();
    return figures;
}

int Report(const std::string& path, int rounds)
{
    const std::size_t before = PeakMemory();
    Figures f;
    for (int round = 0; round < rounds; ++round)
        f = Measure(path);
    const std::size_t peak = PeakMemory();
    std::fprintf(stderr, "phases: parse %.3f s, build items %.3f s, free tree %.3f s\n", f.parsed, f.built - f.parsed,
                 f.seconds - f.built);
    std::printf("%zu items %zu bytes %.1f MB/s %.0f items/s peak %.1f MB growth %.2fx of document\n", f.items, f.bytes,
                f.bytes / 1e6 / f.seconds, f.items / f.seconds, peak / 1e6, static_cast<double>(peak - before) / f.bytes);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "generate")
        return Generate(argv[2]);
    if (mode == "measure")
        return Report(argv[2], 1);
    if (mode == "warm") {
#ifdef __GLIBC__
        // Freed memory stays in the process, as it would in a long-running one.
        mallopt(M_MMAP_THRESHOLD, 1 << 30);
        mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
        return Report(argv[2], 3);
    }
    std::fprintf(stderr, "usage: bench_xml_parser generate <dir> | measure <file> | warm <file>\n");
    return 2;
}
