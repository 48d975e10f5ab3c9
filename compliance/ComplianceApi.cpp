#include "compliance/ComplianceApi.h"

#include "compliance/AgentChecks.h"
#include "compliance/ComplianceLock.h"
#include "compliance/Exchange.h"
#include "compliance/RequestFile.h"
#include "text/CharacterSetResult.h"
#include "text/Transcoding.h"

namespace {

// The one session of the process.
struct Session {
    bool open = false;
    bool resultsReady = false;
    ComplianceResponse current;
};

Session& State()
{
    static Session session;
    return session;
}

CompactText ToUtf8(const _bstr_t& text)
{
    const wchar_t* units = static_cast<const wchar_t*>(text);
    if (!units)
        return {};
    const CopiedU8String utf8 = TranscodeU16ToU8({units, units + text.length()});
    return CompactText(utf8);
}

// The Open checks and the first exchange; any failure here leaves the session to be closed.
std::int32_t OpenSession(const _bstr_t& url, const _bstr_t& document, std::int32_t flags)
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
    if (const std::int32_t prepared = PrepareExchangeDirectory(ExchangeDirectory::Request); prepared != ComplianceResult::Success)
        return prepared;
    if (const std::int32_t prepared = PrepareExchangeDirectory(ExchangeDirectory::Response); prepared != ComplianceResult::Success)
        return prepared;
    if (IsRequestPending())
        return ComplianceResult::RequestWaiting;
    ComplianceResponse answer;
    const std::int32_t code = ExchangeRequest(request, answer);
    return code < 0 ? code : ComplianceResult::Success;
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

std::int32_t COMPLIANCE_Open(_bstr_t url, _bstr_t document, std::int32_t flags)
{
    Session& session = State();
    if (session.open)
        return ComplianceResult::SessionAlreadyOpen;
    if (!ComplianceLock::Acquire())
        return ComplianceResult::LockHeldElsewhere;
    session.open = true;
    session.resultsReady = false;
    std::int32_t code;
    try {
        code = OpenSession(url, document, flags);
    } catch (...) {
        code = ComplianceResult::ExchangeFailed;
    }
    if (code != ComplianceResult::Success) {
        session.open = false;
        ComplianceLock::Release();
    }
    return code;
}

std::int32_t COMPLIANCE_Progress(std::int32_t& percent, std::int32_t& error)
{
    Session& session = State();
    if (session.resultsReady)
        return ComplianceResult::ProgressComplete;
    if (!session.open) {
        error = ComplianceResult::NoSessionOpen;
        return ComplianceResult::ProgressError;
    }
    try {
        ComplianceRequest request;
        request.kind = ComplianceRequestType::Progress;
        session.current.Clear();
        session.resultsReady = false;
        if (const std::int32_t code = ExchangeRequest(request, session.current); code != ComplianceResult::Success) {
            error = code;
            return ComplianceResult::ProgressError;
        }
        // The answer's state is the result: the agent says 1, 2 or 3 as the codes do.
        switch (session.current.progressState) {
        case ComplianceResult::ProgressComplete:
            session.resultsReady = true;
            return ComplianceResult::ProgressComplete;
        case ComplianceResult::ProgressError:
            error = session.current.progressError;
            return ComplianceResult::ProgressError;
        case ComplianceResult::ProgressRunning:
            percent = session.current.progressPercent;
            return ComplianceResult::ProgressRunning;
        default:
            return ComplianceResult::UnknownProgressState;
        }
    } catch (...) {
        return ComplianceResult::OperationFailed;
    }
}

std::int32_t COMPLIANCE_ResultCount()
{
    const Session& session = State();
    if (!session.resultsReady)
        return ComplianceResult::ResultsNotReady;
    return static_cast<std::int32_t>(session.current.items.size());
}

std::int32_t COMPLIANCE_GetResult(std::int32_t index, _bstr_t& designator, _bstr_t& result, _bstr_t& resultType,
                                  _bstr_t& evaluationTime, _bstr_t& description, _bstr_t& comment)
{
    const Session& session = State();
    if (!session.resultsReady)
        return ComplianceResult::ResultsNotReady;
    if (static_cast<std::uint32_t>(index) >= session.current.items.size())
        return ComplianceResult::NoSuchItem;
    const ComplianceResultItem& item = session.current.items[static_cast<std::size_t>(index)];
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

std::int32_t COMPLIANCE_Close()
{
    Session& session = State();
    if (!session.open)
        return ComplianceResult::NoSessionOpen;
    std::int32_t code;
    try {
        ComplianceRequest request;
        request.kind = ComplianceRequestType::Close;
        ComplianceResponse answer;
        code = ExchangeRequest(request, answer);
    } catch (...) {
        code = ComplianceResult::OperationFailed;
    }
    ComplianceLock::Release();
    session.open = false;
    session.resultsReady = false;
    session.current.Clear();
    return code;
}
