#pragma once
// Every export of the server and every member of its interfaces runs its body through one
// of these: no C++ exception crosses the COM boundary. A failed allocation becomes
// E_OUTOFMEMORY, a _com_error its own HRESULT, anything else E_UNEXPECTED.
#include "text/Bstr.h"

#include <new>

// The HRESULT that stands for the exception being handled; call it inside a catch block.
inline HRESULT HResultOfCurrentException() noexcept
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const _com_error& e) {
        return FAILED(e.Error()) ? e.Error() : E_UNEXPECTED;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

template <class Body>
HRESULT GuardedExport(Body&& body) noexcept
{
    try {
        return body();
    } catch (...) {
        return HResultOfCurrentException();
    }
}

// For interface members, whose failures automation clients describe from the thread's
// error information: it is cleared on entry and after an exception, so a failure is
// described by the body that reports it or not at all, never by an earlier call.
template <class Body>
HRESULT GuardedMember(Body&& body) noexcept
{
    SetErrorInfo(0, nullptr);
    try {
        return body();
    } catch (...) {
        SetErrorInfo(0, nullptr);
        return HResultOfCurrentException();
    }
}
