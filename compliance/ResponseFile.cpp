#include "compliance/ResponseFile.h"

#include "compliance/ResponseInterpretation.h"
#include "files/FileHandleOperations.h"
#include "files/FileName.h"
#include "files/FileReadingLoop.h"
#include "xml/XMLTreeParserPL.h"

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
    read.file->Adopt(reading.directory.OpenPlainFile(responseName, GENERIC_READ, FILE_SHARE_READ), location);
    const FileFacts facts = FactsOf(read.file->Handle(), location);
    if (facts.size > reading.sizeLimit)
        throw VerimarkResponseTooLarge{facts.size, reading.sizeLimit};
    if (Older(facts.lastWrite, reading.notBefore))
        throw VerimarkResponseStale();
    const std::unique_ptr<char[]> buffer(new char[readBufferSize]);
    XMLTreeParserPL parser;
    std::uint64_t bytes = 0;
    for (FileReadingLoop loop(buffer.get(), buffer.get() + readBufferSize, *read.file, 0); loop.Remaining() != 0;
         loop.Next()) {
        parser.Feed(loop.Window().first, loop.Window().last);
        bytes += loop.Window().Length();
        if (reading.watcher)
            reading.watcher->AfterWindow(bytes);
    }
    if (!parser.Root() || parser.OpenElementCount() != 0)
        throw VerimarkResponseReadFailure();
    read.response = InterpretResponse(parser);
    return read;
}
