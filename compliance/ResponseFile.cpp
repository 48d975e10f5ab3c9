#include "compliance/ResponseFile.h"

#include "compliance/Registry.h"
#include "compliance/ResponseInterpretation.h"
#include "files/FileName.h"
#include "files/FileReadingLoop.h"
#include "xml/XMLTreeParserPL.h"

#include <memory>

namespace {

constexpr std::size_t readBufferSize = 65568;  // 64 KiB and 32 bytes

class IdleWatcher final : public ResponseReadWatcher {
};
IdleWatcher idle;
ResponseReadWatcher* watcher = &idle;

}  // namespace

ScopedResponseReadWatcher::ScopedResponseReadWatcher(ResponseReadWatcher& w) : previous_(watcher) { watcher = &w; }
ScopedResponseReadWatcher::~ScopedResponseReadWatcher() { watcher = previous_; }

ComplianceResponse ReadResponseFile()
{
    static const FileName responseName("response.xml");
    const FileLocation location = FileLocation::Child(ResponseDirectory(), responseName);
    watcher->BeforeOpen();
    WindowsPlatform::FileReadingPath file(location, false);
    const std::unique_ptr<char[]> buffer(new char[readBufferSize]);
    XMLTreeParserPL parser;
    std::uint64_t read = 0;
    for (FileReadingLoop loop(buffer.get(), buffer.get() + readBufferSize, file, 0); loop.Remaining() != 0;
         loop.Next()) {
        parser.Feed(loop.Window().first, loop.Window().last);
        read += loop.Window().Length();
        watcher->AfterWindow(read);
    }
    if (!parser.Root() || parser.OpenElementCount() != 0)
        throw VerimarkResponseReadFailure();
    return InterpretResponse(parser);
}

FileLocation ResponseDirectory()
{
    const std::optional<CopiedU8String> value = ReadRegistryString(ApiKeyPath, L"ResponseDir");
    return value && !value->Empty() ? FileLocation(*value) : FileLocation();
}
