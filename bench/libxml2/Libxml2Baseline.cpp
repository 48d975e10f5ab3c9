// Native baseline: libxml2's SAX push parser over the same documents in the same pieces,
// collecting the six texts per item into vectors. Prints the same figures as ours.
#include <libxml/parser.h>
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

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: libxml2-baseline <file>\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<char> buffer(65568);
    const long before = PeakKilobytes();
    xmlSAXHandler sax{};
    sax.startElement = Start;
    sax.endElement = End;
    sax.characters = Characters;
    State state;
    const auto start = std::chrono::steady_clock::now();
    std::size_t bytes = 0;
    xmlParserCtxtPtr ctx = xmlCreatePushParserCtxt(&sax, &state, nullptr, 0, argv[1]);
    xmlCtxtUseOptions(ctx, XML_PARSE_HUGE);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
        xmlParseChunk(ctx, buffer.data(), static_cast<int>(in.gcount()), 0);
        bytes += static_cast<std::size_t>(in.gcount());
    }
    xmlParseChunk(ctx, nullptr, 0, 1);
    xmlFreeParserCtxt(ctx);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%zu items %zu bytes %.1f MB/s %.0f items/s peak %.1f MB growth %.2fx of document\n",
                state.items.size(), bytes, bytes / 1e6 / seconds, state.items.size() / seconds,
                PeakKilobytes() / 1e3, (PeakKilobytes() - before) * 1e3 / bytes);
    return 0;
}
