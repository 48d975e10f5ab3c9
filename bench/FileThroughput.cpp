// Reads and writes 256 MiB through the file layer and through plain ReadFile/WriteFile
// loops over the same file, alternating, and prints MB/s and the layer's cost.
#include "files/FileDataSink.h"
#include "files/FileReadingLoop.h"
#include "files/FileReadingPath.h"
#include "text/Transcoding.h"
#include "text/UniqueResource.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr std::size_t totalBytes = 256u << 20;
constexpr std::size_t bufferBytes = 65568;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

std::uint64_t checksum = 0;  // keeps the reads from being optimised away

double LayerWrite(const FileLocation& file, const std::vector<char>& chunk)
{
    const auto start = Clock::now();
    WindowsPlatform::FileWritingPath path;
    path.OpenForWriting(file);
    FileDataSink sink(path, 0);
    sink.Begin();
    for (std::size_t done = 0; done < totalBytes; done += chunk.size())
        sink.Receive(chunk.data(), chunk.data() + chunk.size());
    sink.End();
    path.Close();
    return Seconds(start);
}

double PlainWrite(const FileLocation& file, const std::vector<char>& chunk)
{
    const auto start = Clock::now();
    UniqueFile h(CreateFileW(NativePath(file).Begin(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    for (std::size_t done = 0; done < totalBytes; done += chunk.size()) {
        DWORD written = 0;
        WriteFile(h.Get(), chunk.data(), static_cast<DWORD>(chunk.size()), &written, nullptr);
    }
    FlushFileBuffers(h.Get());
    return Seconds(start);
}

double LayerRead(const FileLocation& file, std::vector<char>& buffer)
{
    const auto start = Clock::now();
    WindowsPlatform::FileReadingPath path(file, false);
    for (FileReadingLoop loop(buffer.data(), buffer.data() + buffer.size(), path, 0); loop.Remaining() != 0;
         loop.Next())
        checksum += static_cast<unsigned char>(loop.Window().first[1]);
    return Seconds(start);
}

double PlainRead(const FileLocation& file, std::vector<char>& buffer)
{
    const auto start = Clock::now();
    UniqueFile h(CreateFileW(NativePath(file).Begin(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD read = 0;
    while (ReadFile(h.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr) && read)
        checksum += static_cast<unsigned char>(buffer[1]);
    return Seconds(start);
}

}  // namespace

int main()
{
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    const FileLocation file =
        FileLocation::Child(FileLocation(TranscodeU16ToU8({temp, temp + n})), "verimark-throughput.bin");
    std::vector<char> chunk(bufferBytes);
    for (std::size_t i = 0; i < chunk.size(); ++i)
        chunk[i] = static_cast<char>(i * 31);
    std::vector<char> buffer(bufferBytes);

    // Alternate the two forms and keep each one's best run: the machine is shared and noisy.
    double layerWrite = 1e9, plainWrite = 1e9, layerRead = 1e9, plainRead = 1e9;
    // Every timed write then replaces an existing file: creating it afresh is cheaper.
    PlainWrite(file, chunk);
    // Each round swaps which form goes first, so neither always inherits the other's dirty pages.
    for (int round = 0; round < 6; ++round) {
        if (round % 2) {
            layerWrite = std::min(layerWrite, LayerWrite(file, chunk));
            plainWrite = std::min(plainWrite, PlainWrite(file, chunk));
            layerRead = std::min(layerRead, LayerRead(file, buffer));
            plainRead = std::min(plainRead, PlainRead(file, buffer));
        } else {
            plainWrite = std::min(plainWrite, PlainWrite(file, chunk));
            layerWrite = std::min(layerWrite, LayerWrite(file, chunk));
            plainRead = std::min(plainRead, PlainRead(file, buffer));
            layerRead = std::min(layerRead, LayerRead(file, buffer));
        }
    }
    DeleteFileW(NativePath(file).Begin());

    const double mb = totalBytes / 1e6;
    std::printf("file layer throughput, %zu MiB, %zu-byte pieces, best of 6\n", totalBytes >> 20, bufferBytes);
    std::printf("  read : FileReadingLoop %8.1f MB/s   plain ReadFile  %8.1f MB/s   layer cost %+5.1f%%\n",
                mb / layerRead, mb / plainRead, 100.0 * (layerRead / plainRead - 1));
    std::printf("  write: FileDataSink    %8.1f MB/s   plain WriteFile %8.1f MB/s   layer cost %+5.1f%%\n",
                mb / layerWrite, mb / plainWrite, 100.0 * (layerWrite / plainWrite - 1));
    std::printf("(checksum %llu)\n", static_cast<unsigned long long>(checksum));
    return 0;
}
