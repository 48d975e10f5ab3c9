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
        requests.Rename(file.Handle(), TempName(), RequestName(), true);
    });
}

}  // namespace

PublishedRequest WriteRequestFile(const PinnedDirectory& requests, const ComplianceRequest& request)
{
    const FileLocation temp = requests.Child(TempName()), final = requests.Child(RequestName());
    WindowsPlatform::FileWritingPath file;
    try {
        file.Adopt(CreateTemporary(requests), temp);
    } catch (...) {
        throw VerimarkRequestIOWriteFailure();
    }
    bool written = false;
    PublishedRequest stamp;
    try {
        FileDataSink sink(file, 0);
        const std::string_view crlf = "\r\n";
        LineFlattener lines(crlf.data(), crlf.data() + crlf.size(), sink);
        WriteRequestDocument(request, lines);
        stamp.written = FactsOf(file.Handle(), temp).lastWrite;
        const std::optional<FileIdentity> identity = IdentityOf(file.Handle());
        if (!identity)
            throw VerimarkRequestIOWriteFailure();
        stamp.identity = *identity;
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

bool WithdrawRequest(const PinnedDirectory& requests, const PublishedRequest& request)
{
    try {
        // Not shared for deleting: an agent that has it open to take it keeps it.
        const UniqueFile waiting =
            requests.OpenPlainFile(RequestName(), DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE);
        // A file's number alone can come back for a new file once the old one is gone (it
        // does on some file systems); with the time it was written, it is this request.
        const FileFacts facts = FactsOf(waiting.Get(), requests.Child(RequestName()));
        if (IdentityOf(waiting.Get()) != request.identity ||
            CompareFileTime(&facts.lastWrite, &request.written) != 0)
            return false;
        DeleteByHandle(waiting.Get(), requests.Child(RequestName()));
        return true;
    } catch (...) {
        return false;
    }
}

std::optional<FILETIME> WaitingRequestWritten(const PinnedDirectory& requests)
{
    return requests.LastWritten(RequestName());
}
