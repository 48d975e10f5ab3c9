// The out-of-line helpers of the platform's COM support classes, which MinGW declares but
// does not implement. Their behaviour is the documented one: conversions through the
// ANSI code page, and errors raised as _com_error.
#include "text/Bstr.h"
#include "text/ComResource.h"

#include <new>

namespace _com_util {

BSTR WINAPI ConvertStringToBSTR(const char* source)
{
    if (!source)
        return nullptr;
    const int units = MultiByteToWideChar(CP_ACP, 0, source, -1, nullptr, 0);
    if (units <= 0) {
        _com_issue_error(HRESULT_FROM_WIN32(GetLastError()));
        return nullptr;
    }
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(units - 1));
    if (!result) {
        _com_issue_error(E_OUTOFMEMORY);
        return nullptr;
    }
    MultiByteToWideChar(CP_ACP, 0, source, -1, result, units);
    return result;
}

// The caller frees the result with delete[] (the wrapper does).
char* WINAPI ConvertBSTRToString(BSTR source)
{
    if (!source)
        return nullptr;
    const int length = static_cast<int>(SysStringLen(source));
    const int bytes = WideCharToMultiByte(CP_ACP, 0, source, length, nullptr, 0, nullptr, nullptr);
    if (bytes < 0 || (bytes == 0 && length != 0)) {
        _com_issue_error(HRESULT_FROM_WIN32(GetLastError()));
        return nullptr;
    }
    char* result = new (std::nothrow) char[static_cast<std::size_t>(bytes) + 1];
    if (!result) {
        _com_issue_error(E_OUTOFMEMORY);
        return nullptr;
    }
    WideCharToMultiByte(CP_ACP, 0, source, length, result, bytes, nullptr, nullptr);
    result[bytes] = '\0';
    return result;
}

}  // namespace _com_util

void WINAPI _com_issue_errorex(HRESULT hr, IUnknown* object, REFIID iid)
{
    IErrorInfo* info = nullptr;
    if (object) {
        UniqueInterface<ISupportErrorInfo> support;
        if (SUCCEEDED(object->QueryInterface(__uuidof(ISupportErrorInfo), support.PutVoid())) &&
            support.Get()->InterfaceSupportsErrorInfo(iid) == S_OK && GetErrorInfo(0, &info) != S_OK)
            info = nullptr;
    }
    throw _com_error(hr, info, false);
}
