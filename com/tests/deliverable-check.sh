#!/usr/bin/env bash
# Static checks of the 32-bit deliverable, which hold whether or not this machine can run
# it: its four exports carry undecorated names and its resources are all present.
set -euo pipefail
dll=$1
[[ -f "$dll" ]] || { echo "no 32-bit build at $dll"; exit 1; }
objdump=i686-w64-mingw32-objdump
strings=i686-w64-mingw32-strings
header=$($objdump -f "$dll")
grep -q 'file format pei-i386' <<<"$header" || { echo "not a 32-bit library"; exit 1; }
exports=$($objdump -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk 'NR > 1 && NF { print $NF }')
expected=$'DllCanUnloadNow\nDllGetClassObject\nDllRegisterServer\nDllUnregisterServer'
[[ "$exports" == "$expected" ]] || { echo "exports are:"; echo "$exports"; exit 1; }
wide=$($strings -el "$dll")
for text in TYPELIB REGISTRY "TVKVerimarkMod Module" "Quorlan TVKVerimarkMod Module" TVKVerimarkMod.DLL OLESelfRegister; do
  grep -qF "$text" <<<"$wide" || { echo "missing resource text: $text"; exit 1; }
done
narrow=$($strings "$dll")
grep -qF 'level="asInvoker" uiAccess="false"' <<<"$narrow" || { echo "missing the manifest"; exit 1; }
grep -qF "TVKVerimarkMod.Session.1" <<<"$narrow" || { echo "missing the registry scripts"; exit 1; }
echo "32-bit deliverable: exports and resources present"
