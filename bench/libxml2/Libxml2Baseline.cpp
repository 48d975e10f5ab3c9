// Native baseline: libxml2's SAX push parser over the same documents in the same pieces,
// collecting the six texts per item into vectors. Prints the same figures as ours.
#include <libxml/parser.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <fstream>
#include <sstream>
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

// Cold: the file read in pieces as it is parsed, in a fresh process. Warm: the file in
// memory first, then parsed from there in the same pieces, as ours is.
Figures Measure(const char* path, const std::string* document)
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
    if (document) {
        for (std::size_t at = 0; at < document->size(); at += buffer.size()) {
            const std::size_t n = std::min(buffer.size(), document->size() - at);
            xmlParseChunk(ctx, document->data() + at, static_cast<int>(n), 0);
            figures.bytes += n;
        }
    } else {
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
            xmlParseChunk(ctx, buffer.data(), static_cast<int>(in.gcount()), 0);
            figures.bytes += static_cast<std::size_t>(in.gcount());
        }
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
// libxml2-baseline --warm <file>   three runs from memory in one process, the best reported
int main(int argc, char** argv)
{
    const bool warm = argc == 3 && std::strcmp(argv[1], "--warm") == 0;
    if (argc != 2 && !warm) {
        std::fprintf(stderr, "usage: libxml2-baseline [--warm] <file>\n");
        return 2;
    }
    const long before = PeakKilobytes();
    std::string document;
    if (warm) {
        std::ifstream in(argv[argc - 1], std::ios::binary);
        std::ostringstream whole;
        whole << in.rdbuf();
        document = whole.str();
    }
    Figures f;
    for (int round = 0; round < (warm ? 3 : 1); ++round) {
        const Figures now = Measure(argv[argc - 1], warm ? &document : nullptr);
        if (round == 0 || now.seconds < f.seconds)
            f = now;
    }
    std::printf("%zu items %zu bytes %.1f MB/s %.0f items/s peak %.1f MB growth %.2fx of document\n", f.items,
                f.bytes, f.bytes / 1e6 / f.seconds, f.items / f.seconds, PeakKilobytes() / 1e3,
                (PeakKilobytes() - before) * 1e3 / f.bytes);
    return 0;
}
