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
            return;  // in place after all: the agent will act on it
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

namespace {

// The request directory as the registry names it, and the watch on the key that names it.
// The watch is on the view the value was last found in (see Registry.h); while that is the
// other view, every use also looks whether the value has come to the process's own view.
struct DirectoryCache {
    std::mutex mutex;
    std::unique_ptr<RegistryKeyWatcher> watcher;
    RegistryView view = RegistryView::Own;
    FileLocation directory;
};

void Watch(DirectoryCache& cache, RegistryView view)
{
    cache.watcher.reset();
    cache.watcher = std::make_unique<RegistryKeyWatcher>(HKEY_LOCAL_MACHINE, ApiKeyPath, RegistryViewFlag(view));
    cache.view = view;
}

// The process's own view when it has the key, else the other; the own view's failure
// when neither has it.
void WatchWhereverTheKeyIs(DirectoryCache& cache)
{
    try {
        Watch(cache, RegistryView::Own);
    } catch (...) {
        try {
            Watch(cache, RegistryView::Other);
            return;
        } catch (...) {
        }
        throw;
    }
}

void Refresh(DirectoryCache& cache)
{
    // A second round when the value turned out to be in the other view than the watched
    // one: the new watch is armed before the value is read again, so no change is missed.
    for (int round = 0;; ++round) {
        // Armed before reading, so a change made while we read is not missed.
        try {
            cache.watcher->Rearm();
        } catch (...) {
            // A key that was deleted cannot be watched again: look for it anew, in either
            // view, instead of holding a dead key for ever.
            cache.directory = FileLocation();
            cache.watcher.reset();
            WatchWhereverTheKeyIs(cache);
            cache.watcher->Rearm();
        }
        const RegistryString value = ReadRegistryStringWithView(ApiKeyPath, L"RequestDir");
        if (round == 0 && value.view && *value.view != cache.view) {
            Watch(cache, *value.view);
            continue;
        }
        cache.directory = value.text && !value.text->Empty() ? FileLocation(*value.text) : FileLocation();
        if (!cache.directory.Empty())
            MakeDirectory(cache.directory);
        return;
    }
}

}  // namespace

FileLocation RequestDirectory()
{
    static DirectoryCache cache;
    std::lock_guard lock(cache.mutex);
    if (!cache.watcher)
        WatchWhereverTheKeyIs(cache);
    else if (cache.view == RegistryView::Other && RegistryValueExistsIn(RegistryView::Own, ApiKeyPath, L"RequestDir"))
        Watch(cache, RegistryView::Own);
    if (cache.watcher->Changed())
        Refresh(cache);
    return cache.directory;
}
