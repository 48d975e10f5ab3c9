#include "com/SessionObject.h"

#include "com/EntryPoint.h"
#include "com/ErrorInformation.h"
#include "com/SessionGate.h"
#include "compliance/ComplianceApi.h"

#include <mutex>

namespace {

// GetError after a Progress that failed through its result rather than its error output.
constexpr long ProgressFailedWithoutErrorCode = -21;

// The failure of a Response member: error information for IResponse, sourced from the
// registered ProgID, and the result code itself as the HRESULT.
HRESULT RaiseResponseError(long code, const wchar_t* text)
{
    SetErrorInformation(IID_IResponse, CLSID_Response, text);
    return static_cast<HRESULT>(code);
}

enum class Text { Designator, Result, ResultType, EvaluationTime, Description, Comment };

HRESULT ItemText(long index, BSTR* pVal, Text which, const wchar_t* errorText)
{
    return GuardedMember([&] {
        if (!pVal)
            return E_POINTER;
        *pVal = nullptr;
        _bstr_t texts[6];
        std::int32_t code;
        {
            const auto gate = SessionGate::Enter();
            code = COMPLIANCE_GetResult(index, texts[0], texts[1], texts[2], texts[3], texts[4], texts[5]);
        }
        if (code != ComplianceResult::Success)
            return RaiseResponseError(code, errorText);
        const _bstr_t& text = texts[static_cast<int>(which)];
        // An empty text is an empty BSTR, not a null one.
        *pVal = SysAllocStringLen(static_cast<const wchar_t*>(text), text.length());
        return *pVal ? S_OK : E_OUTOFMEMORY;
    });
}

// A copy up to the first NUL; a null BSTR is empty text.
_bstr_t CopyText(BSTR text) { return _bstr_t(text ? text : L""); }

}  // namespace

HRESULT CSession::Open(BSTR url, BSTR doc, long flags, long* pVal)
{
    return GuardedMember([&] {
        if (!pVal)
            return E_POINTER;
        const _bstr_t urlCopy = CopyText(url), docCopy = CopyText(doc);
        const auto gate = SessionGate::Enter();
        *pVal = COMPLIANCE_Open(urlCopy, docCopy, flags);
        if (*pVal == ComplianceResult::Success)
            SessionGate::Opened();
        return S_OK;
    });
}

HRESULT CSession::Close(long* pVal)
{
    return GuardedMember([&] {
        if (!pVal)
            return E_POINTER;
        const auto gate = SessionGate::Enter();
        *pVal = COMPLIANCE_Close();
        SessionGate::Closed();  // a session that was open is closed now, whatever the code
        return S_OK;
    });
}

HRESULT CProgress::SessionProgress(long* pVal)
{
    return GuardedMember([&] {
        if (!pVal)
            return E_POINTER;
        std::int32_t percent = 0, error = 0, result;
        {
            const auto gate = SessionGate::Enter();
            result = COMPLIANCE_Progress(percent, error);
        }
        switch (result) {
        case ComplianceResult::ProgressComplete:
            percent_ = 100;
            error_ = 0;
            *pVal = ComplianceResult::ProgressComplete;
            break;
        case ComplianceResult::ProgressError:
            percent_ = 0;
            error_ = error;
            *pVal = ComplianceResult::ProgressError;
            break;
        case ComplianceResult::ProgressRunning:
            percent_ = percent;
            error_ = 0;
            *pVal = ComplianceResult::ProgressRunning;
            break;
        default:
            // A failure reported through the result rather than the error output.
            percent_ = 0;
            error_ = ProgressFailedWithoutErrorCode;
            *pVal = ComplianceResult::ProgressError;
            break;
        }
        return S_OK;
    });
}

HRESULT CProgress::get_GetPercent(long* pVal)
{
    return GuardedMember([&] {
        if (!pVal)
            return E_POINTER;
        *pVal = percent_;
        return S_OK;
    });
}

HRESULT CProgress::get_GetError(long* pVal)
{
    return GuardedMember([&] {
        if (!pVal)
            return E_POINTER;
        *pVal = error_;
        return S_OK;
    });
}

HRESULT CResponse::get_ResultCount(long* pVal)
{
    return GuardedMember([&] {
        if (!pVal)
            return E_POINTER;
        std::int32_t count;
        {
            const auto gate = SessionGate::Enter();
            count = COMPLIANCE_ResultCount();
        }
        *pVal = count;
        return count < 0 ? RaiseResponseError(count, L"ResultCountError") : S_OK;
    });
}

HRESULT CResponse::get_GetDescription(long index, BSTR* pVal)
{
    return ItemText(index, pVal, Text::Description, L"GetDescriptionError");
}
HRESULT CResponse::get_GetRelevanceResult(long index, BSTR* pVal)
{
    return ItemText(index, pVal, Text::Result, L"GetResponseError");
}
HRESULT CResponse::get_GetDesignator(long index, BSTR* pVal)
{
    return ItemText(index, pVal, Text::Designator, L"GetDesignatorError");
}
HRESULT CResponse::get_GetComment(long index, BSTR* pVal)
{
    return ItemText(index, pVal, Text::Comment, L"GetCommentError");
}
HRESULT CResponse::get_GetResultType(long index, BSTR* pVal)
{
    return ItemText(index, pVal, Text::ResultType, L"GetResultTypeError");
}
HRESULT CResponse::get_GetEvalTime(long index, BSTR* pVal)
{
    return ItemText(index, pVal, Text::EvaluationTime, L"GetEvalTimeError");
}
