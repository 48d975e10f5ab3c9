#pragma once
// The compliance session API: the one way into the compliance core for the console tool
// and the COM objects. Every outcome is an integer result code; no exception leaves it.
//
// Codes:
//    0  success (Open, GetResult, Close)
//    1  Progress: evaluation complete, results ready
//    2  Progress: error; the error output holds the agent's code or one of the codes below
//    3  Progress: evaluation running; the percent output is set
//   -1  Open: the agent's "Version" value is missing, not a string or empty
//   -2  Open: the agent is not running
//   -3  the agent did not take the request within 10 seconds
//   -4  Open: "RequestDir" or "ResponseDir" is missing (or empty)
//   -5  Open: a request is already waiting in the request directory
//   -6  Open: the compliance lock is held elsewhere; Close / Progress: no session is open
//   -7  the agent took the request but no readable answer appeared within 10 seconds;
//       Progress: the answer's progress state is not 1, 2 or 3
//   -8  ResultCount, GetResult: results are not ready
//   -9  Open: the agent's version is below 4.1.8
//  -15  Open: a session is already open in this process
//  -16  an unexpected failure during the exchange or the agent checks
//  -17  the request could not be written (or its URL or document name is not valid UTF-16)
//  -19  Progress, Close, GetResult: an unexpected failure inside the operation
//  -20  GetResult: the index is not below the number of items
//  -23  Open: the parent of the request or response directory does not exist, or the
//       value cannot name a directory (it names a file, or a drive that is not there)
//  -25  Open: creating the request or response directory was refused
//  -26  GetResult: one of the item's texts is not valid UTF-8
//
// Calls must not overlap: the session is process-wide and has no lock of its own.
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
