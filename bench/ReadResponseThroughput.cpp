// ReadResponseFile on a generated response: MB/s, items/s and the peak working set, for
// one document per run (so each peak is its own). The document is copied into a scratch
// folder, which the reader works in as the session's response directory.
//   bench_read_response <file>
#include "compliance/ResponseFile.h"
#include "text/Transcoding.h"
#include "text/UniqueResource.h"

#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::size_t WorkingSet(bool peak)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const bool twice = argc == 3 && std::wstring(argv[2]) == L"--twice";
    if (argc != 2 && !twice) {
        std::fprintf(stderr, "usage: bench_read_response <response document> [--twice]\n");
        return 2;
    }
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring directory = std::wstring(temp) + L"verimark-bench-response";
    CreateDirectoryW(directory.c_str(), nullptr);
    const std::wstring target = directory + L"\\response.xml";
    if (!CopyFileW(argv[1], target.c_str(), FALSE)) {
        std::fprintf(stderr, "cannot copy the document (%lu)\n", GetLastError());
        return 1;
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(target.c_str(), GetFileExInfoStandard, &data);
    const double bytes = static_cast<double>((std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);

    std::size_t items = 0;
    double seconds = 0;
    std::size_t before = 0, peak = 0;
    {
        const PinnedDirectory responses{FileLocation(TranscodeU16ToU8(std::wstring_view(directory)))};
        before = WorkingSet(false);
        const auto start = std::chrono::steady_clock::now();
        ComplianceResponse response = ReadResponseFile(ResponseReading{responses}).response;
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (twice) {
            // A second read in the same process, after the first answer is gone: what
            // memory kept from one read to the next could gain.
            response.Clear();
            const auto again = std::chrono::steady_clock::now();
            response = ReadResponseFile(ResponseReading{responses}).response;
            const double second = std::chrono::duration<double>(std::chrono::steady_clock::now() - again).count();
            std::printf("first read %.1f MB/s, second read %.1f MB/s\n", bytes / 1e6 / seconds, bytes / 1e6 / second);
        }
        peak = WorkingSet(true);
        items = response.items.size();
    }
    DeleteFileW(target.c_str());
    RemoveDirectoryW(directory.c_str());
    std::printf("%zu items %.0f bytes %.1f MB/s %.0f items/s peak %.1f MB growth %.2fx of document\n", items, bytes,
                bytes / 1e6 / seconds, items / seconds, peak / 1e6, (peak - before) / bytes);
    return 0;
}
