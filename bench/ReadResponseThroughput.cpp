// ReadResponseFile on a generated response: MB/s, items/s and the peak working set, for
// one document per run (so each peak is its own). The response directory is pointed at
// a scratch folder for the run and put back afterwards.
//   bench_read_response <file>
#include "compliance/Registry.h"
#include "compliance/ResponseFile.h"
#include "text/Transcoding.h"
#include "text/UniqueResource.h"

#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <optional>
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

class ResponseDirOverride {
public:
    explicit ResponseDirOverride(const std::wstring& directory)
    {
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, ApiKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.Put(), nullptr);
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(key_.Get(), L"ResponseDir", nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
            saved_.emplace(size);
            RegQueryValueExW(key_.Get(), L"ResponseDir", nullptr, &type, saved_->data(), &size);
            savedType_ = type;
        }
        RegSetValueExW(key_.Get(), L"ResponseDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(directory.c_str()),
                       static_cast<DWORD>((directory.size() + 1) * sizeof(wchar_t)));
    }
    ~ResponseDirOverride()
    {
        if (saved_)
            RegSetValueExW(key_.Get(), L"ResponseDir", 0, savedType_, saved_->data(), static_cast<DWORD>(saved_->size()));
        else
            RegDeleteValueW(key_.Get(), L"ResponseDir");
    }

private:
    UniqueRegistryKey key_;
    std::optional<std::vector<BYTE>> saved_;
    DWORD savedType_ = REG_SZ;
};

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_read_response <response document>\n");
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
        ResponseDirOverride override(directory);
        before = WorkingSet(false);
        const auto start = std::chrono::steady_clock::now();
        const ComplianceResponse response = ReadResponseFile();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        peak = WorkingSet(true);
        items = response.items.size();
    }
    DeleteFileW(target.c_str());
    RemoveDirectoryW(directory.c_str());
    std::printf("%zu items %.0f bytes %.1f MB/s %.0f items/s peak %.1f MB growth %.2fx of document\n", items, bytes,
                bytes / 1e6 / seconds, items / seconds, peak / 1e6, (peak - before) / bytes);
    return 0;
}
