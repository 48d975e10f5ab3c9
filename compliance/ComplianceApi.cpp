#include "compliance/ComplianceApi.h"

#include "compliance/ComplianceSession.h"

// Each operation is the process's session's; see compliance/ComplianceSession.h.

std::int32_t COMPLIANCE_Open(_bstr_t url, _bstr_t document, std::int32_t flags)
{
    return ComplianceSession::Process().Open(url, document, flags);
}

std::int32_t COMPLIANCE_Progress(std::int32_t& percent, std::int32_t& error)
{
    return ComplianceSession::Process().Progress(percent, error);
}

std::int32_t COMPLIANCE_ResultCount()
{
    return ComplianceSession::Process().ResultCount();
}

std::int32_t COMPLIANCE_GetResult(std::int32_t index, _bstr_t& designator, _bstr_t& result, _bstr_t& resultType,
                                  _bstr_t& evaluationTime, _bstr_t& description, _bstr_t& comment)
{
    return ComplianceSession::Process().GetResult(index, designator, result, resultType, evaluationTime, description,
                                                  comment);
}

std::int32_t COMPLIANCE_Close()
{
    return ComplianceSession::Process().Close();
}
