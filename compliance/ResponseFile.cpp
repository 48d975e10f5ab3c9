#include "compliance/ResponseFile.h"

#include "compliance/AnswerOwner.h"
#include "compliance/ResponseReader.h"
#include "files/FileHandleOperations.h"
#include "files/FileName.h"
#include "files/FileReadingLoop.h"

#include <algorithm>

namespace {

constexpr std::size_t readBufferSize = 65568;  // 64 KiB and 32 bytes

bool Older(const FILETIME& a, const FILETIME& b) { return CompareFileTime(&a, &b) < 0; }

}  // namespace

ReadResponse ReadResponseFile(const ResponseReading& reading)
{
    static const FileName responseName("response.xml");
    const FileLocation location = reading.directory.Child(responseName);
    if (reading.watcher)
        reading.watcher->BeforeOpen();
    ReadResponse read;
    read.file = std::make_unique<WindowsPlatform::FileReadingPath>();
    // Shared with readers only: nobody writes the answer while it is read, or after, while
    // it is held.
    FileFacts facts;
    UniqueFile opened = reading.directory.OpenPlainFile(responseName, GENERIC_READ, FILE_SHARE_READ, &facts);
    if (!AnswerFromTrustedOwner(opened.Get()))
        throw VerimarkResponseUntrusted();
    read.file->Adopt(std::move(opened), location);
    if (facts.size > reading.sizeLimit)
        throw VerimarkResponseTooLarge{facts.size, reading.sizeLimit};
    if (Older(facts.lastWrite, reading.notBefore))
        throw VerimarkResponseStale();
    // No more room than the answer needs: a small one touches few fresh pages.
    const std::size_t bufferSize = static_cast<std::size_t>(std::max<std::uint64_t>(1, std::min<std::uint64_t>(facts.size, readBufferSize)));
    const std::unique_ptr<char[]> buffer(new char[bufferSize]);
    ResponseReader reader;
    std::uint64_t bytes = 0;
    for (FileReadingLoop loop(buffer.get(), buffer.get() + bufferSize, *read.file, 0); loop.Remaining() != 0;
         loop.Next()) {
        reader.Feed(loop.Window().first, loop.Window().last);
        bytes += loop.Window().Length();
        if (reading.watcher)
            reading.watcher->AfterWindow(bytes);
    }
    read.response = reader.Finish();
    return read;
}
