#pragma once
// The platform's reference-counted BSTR wrapper, _bstr_t, and its exception, _com_error.
// Always reach them through here: <comdef.h> holds the inline pieces the wrapper needs,
// text/ComSupport.cpp the out-of-line ones that MinGW has no library for.
#include "text/Win32.h"

#include <comdef.h>
#include <comutil.h>

#include <string_view>

// The wrapper's text as a view: empty for a null wrapper.
inline std::wstring_view View(const _bstr_t& text)
{
    const wchar_t* units = static_cast<const wchar_t*>(text);
    return units ? std::wstring_view(units, text.length()) : std::wstring_view();
}
