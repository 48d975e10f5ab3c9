#include "compliance/ComplianceSession.h"

#include "compliance/AgentChecks.h"
#include "compliance/Exchange.h"
#include "compliance/RequestFile.h"
#include "compliance/ResultCodes.h"
#include "files/FileReadingLoop.h"
#include "files/Sleeper.h"
#include "text/CharacterSetResult.h"
#include "text/Transcoding.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace {

CompactText ToUtf8(const _bstr_t& text)
{
    const wchar_t* units = static_cast<const wchar_t*>(text);
    if (!units)
        return {};
    const CopiedU8String utf8 = TranscodeU16ToU8({units, units + text.length()});
    return CompactText(utf8);
}

_bstr_t ToBstr(U8String utf8)
{
    const CopiedU16String wide = TranscodeU8ToU16(utf8);
    BSTR text = SysAllocStringLen(wide.Begin(), wide.Length());
    if (!text)
        _com_issue_error(E_OUTOFMEMORY);
    return _bstr_t(text, false);
}

}  // namespace

ComplianceSession& ComplianceSession::Process()
{
    static ComplianceSession session;
    return session;
}

std::int32_t ComplianceSession::Exchange(const ComplianceRequest& request, ReadResponse& answer, Deadline deadline,
                                         std::uint32_t afterStop)
{
    const ExchangePlaces places{*requests_, *responses_, seams_.answerSizeLimit, seams_.readWatcher};
    // An agent whose mutex is gone gets no request, and stops the wait for its answer.
    return ExchangeRequest(places, request, answer, ExchangeBounds{deadline, afterStop, [] { return !IsAgentRunning(); }});
}

// Close is bounded by the deadline, and gets closeWait at least once it has passed (the
// exchange gives a Close closeWait after a stop itself).
std::int32_t ComplianceSession::ExchangeClose(Deadline deadline)
{
    current_.file.reset();  // the agent may write its answer to the Close now
    ComplianceRequest request;
    request.kind = ComplianceRequestType::Close;
    ReadResponse answer;
    if (deadline)
        deadline = std::max(*deadline, CurrentSleeper().Now() + closeWait);
    return Exchange(request, answer, deadline, closeWait);
}

// The Open checks and the first exchange; any failure here leaves the session to be closed.
std::int32_t ComplianceSession::OpenChecked(const _bstr_t& url, const _bstr_t& document, std::int32_t flags,
                                            Deadline deadline)
{
    ComplianceRequest request;
    request.kind = ComplianceRequestType::Open;
    try {
        request.url = ToUtf8(url);
        request.document = ToUtf8(document);
    } catch (const WindowsCharacterSetResult&) {
        return ComplianceResult::RequestNotWritten;  // no request can carry text that is not valid UTF-16
    }
    request.flags = flags;
    if (const std::int32_t version = CheckAgentVersion(); version != ComplianceResult::Success)
        return version;
    if (!IsAgentRunning())
        return ComplianceResult::AgentNotRunning;
    if (!HaveExchangeDirectories())
        return ComplianceResult::DirectoryValueMissing;
    for (const auto& [which, directory] : {std::pair{ExchangeDirectory::Request, &requests_},
                                           std::pair{ExchangeDirectory::Response, &responses_}}) {
        std::optional<DirectoryOpenToOthers> openToOthers;
        const std::int32_t code = PrepareExchangeDirectory(which, *directory, openToOthers);
        if (openToOthers)
            openToOthers_.push_back(std::move(*openToOthers));
        if (code != ComplianceResult::Success)
            return code;
    }
    if (IsRequestPending(*requests_)) {
        waitingRequestWritten_ = ::WaitingRequestWritten(*requests_);
        return ComplianceResult::RequestWaiting;
    }
    ReadResponse answer;  // Open looks only at whether an answer could be read
    const std::int32_t code = Exchange(request, answer, deadline);
    if (code == ComplianceResult::NoReadableAnswer) {
        // The agent took the Open and may be evaluating: tell it that nobody will ask for
        // the results, without waiting long for its answer.
        ExchangeClose(CurrentSleeper().Now());
    }
    return code < 0 ? code : ComplianceResult::Success;
}

std::int32_t ComplianceSession::Open(const _bstr_t& url, const _bstr_t& document, std::int32_t flags, Deadline deadline)
{
    if (open_)
        return ComplianceResult::SessionAlreadyOpen;
    if (!lock_.Acquire())
        return ComplianceResult::LockHeldElsewhere;
    open_ = true;
    resultsReady_ = false;
    waitingRequestWritten_.reset();
    openToOthers_.clear();
    std::int32_t code;
    try {
        code = OpenChecked(url, document, flags, deadline);
    } catch (...) {
        code = ComplianceResult::ExchangeFailed;
    }
    if (code != ComplianceResult::Success)
        End();
    return code;
}

std::int32_t ComplianceSession::Progress(std::int32_t& percent, std::int32_t& error, Deadline deadline)
{
    if (resultsReady_)
        return ComplianceResult::ProgressComplete;
    lastErrorFromAgent_ = false;
    if (!open_) {
        error = ComplianceResult::NoSessionOpen;
        return ComplianceResult::ProgressError;
    }
    try {
        ComplianceRequest request;
        request.kind = ComplianceRequestType::Progress;
        // The previous answer's file is let go before the agent is asked to write the next.
        current_.file.reset();
        current_.response.Clear();
        if (const std::int32_t code = Exchange(request, current_, deadline); code != ComplianceResult::Success) {
            current_.file.reset();
            current_.response.Clear();
            error = code;
            return ComplianceResult::ProgressError;
        }
        // The answer's state is the result: the agent says 1, 2 or 3 as the codes do.
        switch (current_.response.progressState) {
        case ComplianceResult::ProgressComplete:
            resultsReady_ = true;
            return ComplianceResult::ProgressComplete;
        case ComplianceResult::ProgressError:
            error = current_.response.progressError;
            lastErrorFromAgent_ = true;
            return ComplianceResult::ProgressError;
        case ComplianceResult::ProgressRunning:
            // Clamped rather than refused: the evaluation runs, and an agent that counts
            // past the ends still tells that; unclamped, -5 would be printed as 4294967291%.
            percent = std::clamp<std::int32_t>(current_.response.progressPercent, 0, 100);
            return ComplianceResult::ProgressRunning;
        default:
            return ComplianceResult::UnknownProgressState;
        }
    } catch (...) {
        return ComplianceResult::OperationFailed;
    }
}

std::int32_t ComplianceSession::ResultCount() const
{
    if (!resultsReady_)
        return ComplianceResult::ResultsNotReady;
    return static_cast<std::int32_t>(current_.response.items.size());
}

std::int32_t ComplianceSession::GetResult(std::int32_t index, _bstr_t& designator, _bstr_t& result,
                                          _bstr_t& resultType, _bstr_t& evaluationTime, _bstr_t& description,
                                          _bstr_t& comment) const
{
    if (!resultsReady_)
        return ComplianceResult::ResultsNotReady;
    const ComplianceItems& items = current_.response.items;
    if (static_cast<std::uint32_t>(index) >= items.size())
        return ComplianceResult::NoSuchItem;
    const ComplianceResultItem item = items[static_cast<std::size_t>(index)];
    try {
        // In order; a text that is not UTF-8 stops here, the outputs before it keep their new texts.
        designator = ToBstr(item.designator);
        result = ToBstr(item.result);
        resultType = ToBstr(item.resultType);
        evaluationTime = ToBstr(item.evaluationTime);
        description = ToBstr(item.description);
        comment = ToBstr(item.comment);
    } catch (const WindowsCharacterSetResult&) {
        return ComplianceResult::TextNotUtf8;
    } catch (...) {
        return ComplianceResult::OperationFailed;
    }
    return ComplianceResult::Success;
}

std::int32_t ComplianceSession::ItemTexts(std::int32_t index, ComplianceResultItem& item) const
{
    if (!resultsReady_)
        return ComplianceResult::ResultsNotReady;
    const ComplianceItems& items = current_.response.items;
    if (index < 0 || static_cast<std::uint32_t>(index) >= items.size())
        return ComplianceResult::NoSuchItem;
    item = items[static_cast<std::size_t>(index)];
    return ComplianceResult::Success;
}

std::int32_t ComplianceSession::Close(Deadline deadline)
{
    if (!open_)
        return ComplianceResult::NoSessionOpen;
    std::int32_t code;
    try {
        code = ExchangeClose(deadline);
    } catch (...) {
        code = ComplianceResult::OperationFailed;
    }
    End();
    return code;
}

void ComplianceSession::End()
{
    current_.file.reset();
    current_.response.Clear();
    requests_.reset();
    responses_.reset();
    open_ = false;
    resultsReady_ = false;
    lock_.Release();
}

void ComplianceSession::CopyResponse(DataReceiver& sink) const
{
    if (!resultsReady_ || !current_.file)
        throw ResultsNotReadyError();
    constexpr std::size_t bufferSize = 65568;
    const std::unique_ptr<char[]> buffer(new char[bufferSize]);
    sink.Begin();
    for (FileReadingLoop loop(buffer.get(), buffer.get() + bufferSize, *current_.file, 0); loop.Remaining() != 0;
         loop.Next())
        sink.Receive(loop.Window().first, loop.Window().last);
    sink.End();
}

std::optional<FileLocation> ComplianceSession::ResponseLocation() const
{
    if (!current_.file)
        return std::nullopt;
    return current_.file->Location();
}
