#include "compliance/RequestFile.h"

#include "files/FileDataSink.h"
#include "files/FileHandleOperations.h"
#include "files/FileIOError.h"
#include "files/FileName.h"
#include "files/FileRetryLog.h"
#include "text/Numerals.h"
#include "xml/XMLWriter.h"

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

namespace {

// A new "requestTemp.xml": one left from an interrupted run goes first, if it is plainly a
// file of its own.
UniqueFile CreateTemporary(const PinnedDirectory& requests)
{
    try {
        return requests.CreateNew(TempName(), GENERIC_READ | GENERIC_WRITE);
    } catch (const FileFoundError&) {
    }
    requests.RemovePlainFile(TempName());
    return requests.CreateNew(TempName(), GENERIC_READ | GENERIC_WRITE);
}

// A read-only "request.xml" left waiting cannot be replaced: it is made writable first,
// through its own handle and only when it is a plain file with one link. Anything else
// there is replaced by the rename as a name, or the rename fails; it is never changed.
void RelaxWaitingRequest(const PinnedDirectory& requests)
{
    try {
        const UniqueFile waiting = requests.OpenPlainFile(RequestName(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
        ClearReadOnlyByHandle(waiting.Get(), requests.Child(RequestName()));
    } catch (...) {
    }
}

void Publish(const PinnedDirectory& requests, WindowsPlatform::FileWritingPath& file, const FileLocation& temp,
             const FileLocation& final)
{
    SilentFileRetryLog log;
    RetryFileOperation("ForceMoveFile", temp, &final, log, [&] {
        RelaxWaitingRequest(requests);
        RenameByHandle(file.Handle(), temp, final, true);
    });
}

}  // namespace

FILETIME WriteRequestFile(const PinnedDirectory& requests, const ComplianceRequest& request)
{
    const FileLocation temp = requests.Child(TempName()), final = requests.Child(RequestName());
    WindowsPlatform::FileWritingPath file;
    try {
        file.Adopt(CreateTemporary(requests), temp);
    } catch (...) {
        throw VerimarkRequestIOWriteFailure();
    }
    bool written = false;
    FILETIME stamp{};
    try {
        FileDataSink sink(file, 0);
        const std::string_view crlf = "\r\n";
        LineFlattener lines(crlf.data(), crlf.data() + crlf.size(), sink);
        WriteRequestDocument(request, lines);
        stamp = FactsOf(file.Handle(), temp).lastWrite;
        written = true;
        Publish(requests, file, temp, final);
        return stamp;
    } catch (...) {
    }
    // A file that was written whole gets one more try at being put in place; a partly
    // written one must never reach the agent.
    if (written) {
        try {
            Publish(requests, file, temp, final);
            return stamp;  // in place after all: the agent will act on it
        } catch (...) {
        }
    }
    try {
        DeleteByHandle(file.Handle(), temp);
    } catch (...) {
    }
    throw VerimarkRequestIOWriteFailure();
}

bool IsRequestPending(const PinnedDirectory& requests)
{
    return requests.Has(RequestName());
}
