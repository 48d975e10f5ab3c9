// Native baseline: libxml2's SAX push parser over the same documents in the same pieces,
// collecting the six texts per item into vectors. Prints the same figures as ours.
#include <libxml/parser.h>
#include <malloc.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Item {
    std::string texts[6];
};

const char* const fields[6] = {"Designator", "Result", "ResultType", "EvaluationTime", "Description", "Comment"};

struct State {
    std::vector<Item> items;
    std::string text;
    bool inItem = false;
};

void Start(void* ctx, const xmlChar* name, const xmlChar**)
{
    auto* s = static_cast<State*>(ctx);
    s->text.clear();
    if (std::strcmp(reinterpret_cast<const char*>(name), "ResponseItem") == 0) {
        s->items.emplace_back();
        s->inItem = true;
    }
}

void End(void* ctx, const xmlChar* name)
{
    auto* s = static_cast<State*>(ctx);
    const char* n = reinterpret_cast<const char*>(name);
    if (std::strcmp(n, "ResponseItem") == 0) {
        s->inItem = false;
    } else if (s->inItem) {
        for (int f = 0; f < 6; ++f)
            if (std::strcmp(n, fields[f]) == 0)
                s->items.back().texts[f] = s->text;
    }
    s->text.clear();
}

void Characters(void* ctx, const xmlChar* ch, int len)
{
    static_cast<State*>(ctx)->text.append(reinterpret_cast<const char*>(ch), static_cast<std::size_t>(len));
}

long PeakKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct Figures {
    std::size_t items = 0, bytes = 0;
    double seconds = 0;
};

Figures Measure(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer(65568);
    xmlSAXHandler sax{};
    sax.startElement = Start;
    sax.endElement = End;
    sax.characters = Characters;
    State state;
    Figures figures;
    const auto start = std::chrono::steady_clock::now();
    xmlParserCtxtPtr ctx = xmlCreatePushParserCtxt(&sax, &state, nullptr, 0, path);
    xmlCtxtUseOptions(ctx, XML_PARSE_HUGE);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
        xmlParseChunk(ctx, buffer.data(), static_cast<int>(in.gcount()), 0);
        figures.bytes += static_cast<std::size_t>(in.gcount());
    }
    xmlParseChunk(ctx, nullptr, 0, 1);
    xmlFreeParserCtxt(ctx);
    // As for ours: the parser is freed inside the measured time, the items after it.
    figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    figures.items = state.items.size();
    return figures;
}

}  // namespace

// libxml2-baseline <file>          one cold run
// libxml2-baseline --warm <file>   three runs in one process, the last reported (memory already mapped)
int main(int argc, char** argv)
{
    const bool warm = argc == 3 && std::strcmp(argv[1], "--warm") == 0;
    if (argc != 2 && !warm) {
        std::fprintf(stderr, "usage: libxml2-baseline [--warm] <file>\n");
        return 2;
    }
    if (warm) {
        mallopt(M_MMAP_THRESHOLD, 1 << 30);
        mallopt(M_TRIM_THRESHOLD, 1 << 30);
    }
    const long before = PeakKilobytes();
    Figures f;
    for (int round = 0; round < (warm ? 3 : 1); ++round)
        f = Measure(argv[argc - 1]);
    std::printf("%zu items %zu bytes %.1f MB/s %.0f items/s peak %.1f MB growth %.2fx of document\n", f.items,
                f.bytes, f.bytes / 1e6 / f.seconds, f.items / f.seconds, PeakKilobytes() / 1e3,
                (PeakKilobytes() - before) * 1e3 / f.bytes);
    return 0;
}
