#pragma once
// The compliance session API: the one way into the compliance core for the console tool
// and the COM objects. Every outcome is an integer result code; no exception leaves it.
//
// The codes, with their meanings, are in compliance/ResultCodes.h.
//
// Calls must not overlap: the session is process-wide and has no lock of its own.
#include "compliance/ResultCodes.h"
#include "text/Bstr.h"

#include <cstdint>

inline constexpr std::int32_t COMPLIANCE_FLAG_GATHER = 1;
inline constexpr std::int32_t COMPLIANCE_FLAG_EVALUATE_ALL = 2;
inline constexpr std::int32_t COMPLIANCE_FLAG_IDLE_CPU_USAGE = 4;
inline constexpr std::int32_t COMPLIANCE_FLAG_ACTIONHINT = 8;

std::int32_t COMPLIANCE_Open(_bstr_t url, _bstr_t document, std::int32_t flags);
std::int32_t COMPLIANCE_Progress(std::int32_t& percent, std::int32_t& error);
std::int32_t COMPLIANCE_ResultCount();
std::int32_t COMPLIANCE_GetResult(std::int32_t index, _bstr_t& designator, _bstr_t& result, _bstr_t& resultType,
                                  _bstr_t& evaluationTime, _bstr_t& description, _bstr_t& comment);
std::int32_t COMPLIANCE_Close();
