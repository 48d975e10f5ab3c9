#pragma once
// The error information a failing member leaves for its caller (what a script host shows
// as the error's description and source).
#include "text/Win32.h"

#include <oaidl.h>

// Sets it for this thread: the interface, the words, and as source the class's registered
// ProgID, or `fallbackSource` when none is registered (no source when that is null).
void SetErrorInformation(const IID& iid, const CLSID& clsid, const wchar_t* description,
                         const wchar_t* fallbackSource = nullptr);
