#include "com/SessionObject.h"

#include "compliance/ComplianceApi.h"

#include <cwchar>

namespace {

// A copy up to the first NUL (a null BSTR is empty text); nothing when it cannot be allocated.
bool CopyText(BSTR text, _bstr_t& copy)
{
    BSTR duplicate = SysAllocString(text ? text : L"");
    if (!duplicate)
        return false;
    copy.Attach(duplicate);
    return true;
}

// The failure of a Response member: error information for IResponse, sourced from the
// registered ProgID, and the result code itself as the HRESULT.
HRESULT RaiseResponseError(long code, const wchar_t* text)
{
    ICreateErrorInfo* create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        create->SetGUID(IID_IResponse);
        LPOLESTR progId = nullptr;
        if (SUCCEEDED(ProgIDFromCLSID(CLSID_Response, &progId)) && progId) {
            create->SetSource(progId);
            CoTaskMemFree(progId);
        }
        create->SetDescription(const_cast<LPOLESTR>(text));
        IErrorInfo* info = nullptr;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
            SetErrorInfo(0, info);
            info->Release();
        }
        create->Release();
    }
    return static_cast<HRESULT>(code);
}

enum class Text { Designator, Result, ResultType, EvaluationTime, Description, Comment };

HRESULT ItemText(long index, BSTR* pVal, Text which, const wchar_t* errorText)
{
    _bstr_t texts[6];
    const std::int32_t code = COMPLIANCE_GetResult(index, texts[0], texts[1], texts[2], texts[3], texts[4], texts[5]);
    if (code != 0) {
        *pVal = nullptr;
        return RaiseResponseError(code, errorText);
    }
    const _bstr_t& text = texts[static_cast<int>(which)];
    // An empty text is an empty BSTR, not a null one.
    *pVal = SysAllocStringLen(static_cast<const wchar_t*>(text), text.length());
    return *pVal ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

HRESULT CSession::Open(BSTR url, BSTR doc, long flags, long* pVal)
{
    _bstr_t urlCopy, docCopy;
    if (!CopyText(url, urlCopy) || !CopyText(doc, docCopy))
        return E_OUTOFMEMORY;
    *pVal = COMPLIANCE_Open(urlCopy, docCopy, flags);
    return S_OK;
}

HRESULT CSession::Close(long* pVal)
{
    *pVal = COMPLIANCE_Close();
    return S_OK;
}

HRESULT CProgress::SessionProgress(long* pVal)
{
    std::int32_t percent = 0, error = 0;
    switch (const std::int32_t result = COMPLIANCE_Progress(percent, error)) {
    case 1:
        percent_ = 100;
        error_ = 0;
        *pVal = 1;
        break;
    case 2:
        percent_ = 0;
        error_ = error;
        *pVal = 2;
        break;
    case 3:
        percent_ = percent;
        error_ = 0;
        *pVal = 3;
        break;
    default:
        // A failure reported through the result rather than the error output.
        (void)result;
        percent_ = 0;
        error_ = -21;
        *pVal = 2;
        break;
    }
    return S_OK;
}

HRESULT CProgress::get_GetPercent(long* pVal)
{
    *pVal = percent_;
    return S_OK;
}

HRESULT CProgress::get_GetError(long* pVal)
{
    *pVal = error_;
    return S_OK;
}

HRESULT CResponse::get_ResultCount(long* pVal)
{
    const std::int32_t count = COMPLIANCE_ResultCount();
    *pVal = count;
    return count < 0 ? RaiseResponseError(count, L"ResultCountError") : S_OK;
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
