#pragma once
// Registers and unregisters from registry scripts:
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove {guid} = s 'Session Class'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Apartment'
//               }
//           }
//       }
//   }
//
// Tokens are separated by blanks; single quotes make one token of text with blanks ('' is
// one quote). %NAME% is replaced before parsing (%% is one percent sign). Roots: HKCR,
// HKCU, HKLM, HKU, HKPD, HKDD, HKCC and their long forms. Modifiers: ForceRemove,
// NoRemove, Delete. Value types: s, d, b (hexadecimal bytes), m (strings split at \0).
#include "text/Win32.h"

#include <functional>
#include <map>
#include <string>
#include <string_view>

class Registrar {
public:
    // Where each root key of a script lands; the real roots by default, scratch keys in tests.
    using RootResolver = std::function<HKEY(HKEY root)>;

    explicit Registrar(RootResolver roots = {});

    // A replacement for %name% (names compare without regard to case).
    void AddReplacement(std::wstring name, std::wstring value);

    // S_OK, DISP_E_EXCEPTION for a malformed script, E_FAIL for a replacement name of 32
    // characters or more and for an odd number of hexadecimal digits, or the HRESULT of a
    // failed registry call. A root block that fails while registering is unregistered again.
    HRESULT Run(std::wstring_view script, bool registering);

private:
    RootResolver roots_;
    std::map<std::wstring, std::wstring> replacements_;  // keys in upper case
};
