#include "compliance/RequestFile.h"

#include "compliance/Registry.h"
#include "compliance/RegistryKeyWatcher.h"
#include "files/FileDataSink.h"
#include "files/FileName.h"
#include "files/FileOperations.h"
#include "text/Numerals.h"
#include "xml/XMLWriter.h"

#include <memory>
#include <mutex>

namespace {

const FileName& TempName()
{
    static const FileName name("requestTemp.xml");
    return name;
}

const FileName& RequestName()
{
    static const FileName name("request.xml");
    return name;
}

void WriteChild(XMLWriter& writer, U8String name, U8String text)
{
    writer.StartElement(name, nullptr);
    writer.Text(text);
    writer.EndElement();
}

}  // namespace

void WriteRequestDocument(const ComplianceRequest& request, LineReceiver& lines)
{
    XMLWriter writer(lines, 0);
    XMLAttributeList attributes;
    attributes.Add({CopiedU8String("Version"), CopiedU8String("1.0")});
    writer.StartDocument("TVKVerimarkRequest", &attributes);
    WriteChild(writer, "RequestType", RequestTypeText(request.kind));
    if (request.kind == ComplianceRequestType::Open) {
        WriteChild(writer, "RequestURL", request.url);
        WriteChild(writer, "RequestDOC", request.document);
        WriteChild(writer, "RequestFlags", FormatDecimal32(static_cast<std::uint32_t>(request.flags), 1));
    }
    writer.EndDocument();
}

void WriteRequestFile(const ComplianceRequest& request)
{
    FileLocation temp, final;
    bool written = false;
    try {
        const FileLocation directory = RequestDirectory();
        temp = FileLocation::Child(directory, TempName());
        final = FileLocation::Child(directory, RequestName());
        {
            WindowsPlatform::FileWritingPath file;
            file.OpenForWriting(temp);
            FileDataSink sink(file, 0);
            const std::string_view crlf = "\r\n";
            LineFlattener lines(crlf.data(), crlf.data() + crlf.size(), sink);
            WriteRequestDocument(request, lines);
            file.Close();
        }
        written = true;
        SilentFileRetryLog log;
        ForceMoveFile(temp, final, log);
        return;
    } catch (...) {
    }
    // A file that was written whole gets one more try at being put in place; a partly
    // written one must never reach the agent.
    if (written) {
        try {
            SilentFileRetryLog log;
            ForceMoveFile(temp, final, log);
        } catch (...) {
            written = false;
        }
    }
    if (!written) {
        try {
            SilentFileRetryLog log;
            ForceNonexistence(temp, log);
        } catch (...) {
        }
    }
    throw VerimarkRequestIOWriteFailure();
}

bool IsRequestPending()
{
    return FileLocation::Child(RequestDirectory(), RequestName()).Attributes() != INVALID_FILE_ATTRIBUTES;
}

FileLocation RequestDirectory()
{
    struct Cache {
        std::mutex mutex;
        std::unique_ptr<RegistryKeyWatcher> watcher;
        FileLocation directory;
    };
    static Cache cache;
    std::lock_guard lock(cache.mutex);
    if (!cache.watcher)
        cache.watcher = std::make_unique<RegistryKeyWatcher>(HKEY_LOCAL_MACHINE, ApiKeyPath);
    if (cache.watcher->Changed()) {
        // Armed before reading, so a change made while we read is not missed. A key that
        // was deleted cannot be watched again: drop the watcher, so that the next use
        // opens the key anew (once it is back) instead of holding a dead key for ever.
        try {
            cache.watcher->Rearm();
        } catch (...) {
            cache.watcher.reset();
            cache.directory = FileLocation();
            throw;
        }
        const std::optional<CopiedU8String> value = ReadRegistryString(ApiKeyPath, L"RequestDir");
        cache.directory = value && !value->Empty() ? FileLocation(*value) : FileLocation();
        if (!cache.directory.Empty())
            MakeDirectory(cache.directory);
    }
    return cache.directory;
}
