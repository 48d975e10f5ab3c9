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
        return -17;  // no request can carry text that is not valid UTF-16
    }
    request.flags = flags;
    if (const std::int32_t version = CheckAgentVersion(); version != 0)
        return version;
    if (!IsAgentRunning())
        return -2;
    if (!HaveExchangeDirectories())
        return -4;
    if (const std::int32_t prepared = PrepareExchangeDirectory(ExchangeDirectory::Request); prepared != 0)
        return prepared;
    if (const std::int32_t prepared = PrepareExchangeDirectory(ExchangeDirectory::Response); prepared != 0)
        return prepared;
    if (IsRequestPending())
        return -5;
    ComplianceResponse answer;
    const std::int32_t code = ExchangeRequest(request, answer);
    return code < 0 ? code : 0;
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
        return -15;
    if (!ComplianceLock::Acquire())
        return -6;
    session.open = true;
    session.resultsReady = false;
    std::int32_t code;
    try {
        code = OpenSession(url, document, flags);
    } catch (...) {
        code = -16;
    }
    if (code != 0) {
        session.open = false;
        ComplianceLock::Release();
    }
    return code;
}

std::int32_t COMPLIANCE_Progress(std::int32_t& percent, std::int32_t& error)
{
    Session& session = State();
    if (session.resultsReady)
        return 1;
    if (!session.open) {
        error = -6;
        return 2;
    }
    try {
        ComplianceRequest request;
        request.kind = ComplianceRequestType::Progress;
        session.current.Clear();
        session.resultsReady = false;
        if (const std::int32_t code = ExchangeRequest(request, session.current); code != 0) {
            error = code;
            return 2;
        }
        switch (session.current.progressState) {
        case 1:
            session.resultsReady = true;
            return 1;
        case 2:
            error = session.current.progressError;
            return 2;
        case 3:
            percent = session.current.progressPercent;
            return 3;
        default:
            return -7;
        }
    } catch (...) {
        return -19;
    }
}

std::int32_t COMPLIANCE_ResultCount()
{
    const Session& session = State();
    if (!session.resultsReady)
        return -8;
    return static_cast<std::int32_t>(session.current.items.size());
}

std::int32_t COMPLIANCE_GetResult(std::int32_t index, _bstr_t& designator, _bstr_t& result, _bstr_t& resultType,
                                  _bstr_t& evaluationTime, _bstr_t& description, _bstr_t& comment)
{
    const Session& session = State();
    if (!session.resultsReady)
        return -8;
    if (static_cast<std::uint32_t>(index) >= session.current.items.size())
        return -20;
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
        return -26;
    } catch (...) {
        return -19;
    }
    return 0;
}

std::int32_t COMPLIANCE_Close()
{
    Session& session = State();
    if (!session.open)
        return -6;
    std::int32_t code;
    try {
        ComplianceRequest request;
        request.kind = ComplianceRequestType::Close;
        ComplianceResponse answer;
        code = ExchangeRequest(request, answer);
    } catch (...) {
        code = -19;
    }
    ComplianceLock::Release();
    session.open = false;
    session.resultsReady = false;
    session.current.Clear();
    return code;
}
