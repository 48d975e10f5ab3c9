// The streaming response reader on generated responses, from memory the process has used
// before: what reading costs in processor time alone. Built natively too (scripts/bench.sh)
// to compare with libxml2 on equal terms.
//   bench_response_reader generate <dir>   writes items-<n>.xml and worst-<shape>.xml
//   bench_response_reader warm <file>      the best of three reads in one process
#include "bench/ResponseDocument.h"
#include "compliance/ResponseReader.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

int Generate(const std::string& dir)
{
    for (std::uint32_t n : {1000u, 100000u, 1000000u}) {
        const std::string path = dir + "/items-" + std::to_string(n) + ".xml";
        std::ofstream(path, std::ios::binary) << MakeResponseDocument(n);
    }
    for (const char* shape : worstShapes)
        std::ofstream(dir + "/worst-" + shape + ".xml", std::ios::binary) << MakeWorstDocument(shape);
    return 0;
}

int Warm(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream whole;
    whole << in.rdbuf();
    const std::string document = whole.str();
    constexpr std::size_t piece = 65568;
    double best = 1e30;
    std::size_t items = 0;
    for (int round = 0; round < 3; ++round) {
        const auto start = std::chrono::steady_clock::now();
        {
            ResponseReader reader;
            for (std::size_t at = 0; at < document.size(); at += piece)
                reader.Feed(document.data() + at, document.data() + std::min(document.size(), at + piece));
            const ComplianceResponse response = reader.Finish();
            items = response.items.size();
        }
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::printf("%zu items %zu bytes %.1f MB/s %.0f items/s\n", items, document.size(), document.size() / 1e6 / best,
                items / best);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc == 3 ? argv[1] : "";
    if (mode == "generate")
        return Generate(argv[2]);
    if (mode == "warm")
        return Warm(argv[2]);
    std::fprintf(stderr, "usage: bench_response_reader generate <dir> | warm <file>\n");
    return 2;
}
