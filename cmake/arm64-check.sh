#!/usr/bin/env bash
# Static checks of an ARM64 build's shipped binaries, which hold whether or not anything
# here can run them: the PE machine is ARM64; the tool is a console program; both import
# only system DLLs and the UCRT's API sets; the COM server exports its four entry points
# undecorated and carries its type library and registry scripts; and neither carries the
# formatting shim that only the emulated test runs need.
#   arm64-check.sh <tool.exe> <server.dll>
set -euo pipefail
tool=$1 server=$2
readobj=llvm-readobj-16 objdump=llvm-objdump-16
fail() { echo "$1"; exit 1; }
system_dlls='^(KERNEL32|ADVAPI32|OLEAUT32|ole32|USER32|api-ms-win-crt-[a-z]+-l1-1-0)\.dll$'
for binary in "$tool" "$server"; do
  [[ -f $binary ]] || fail "missing: $binary"
  grep -q 'Machine: IMAGE_FILE_MACHINE_ARM64 (0xAA64)' <<<"$($readobj --file-headers "$binary")" ||
    fail "$binary: not an ARM64 binary"
  headers=$($objdump -p "$binary")
  imports=$(awk '/DLL Name:/ {print $3}' <<<"$headers" | sort -u)
  others=$(grep -Ev "$system_dlls" <<<"$imports" || true)
  [[ -z $others ]] || fail "$binary imports more than system DLLs: $others"
  # The shim defines the UCRT's formatting entry points itself; a shipped binary imports them.
  if grep -qa 'verimark-stdio-shim' "$binary"; then fail "$binary carries the test shim"; fi
  grep -q '__stdio_common_vfprintf\|__stdio_common_vsprintf' <<<"$headers" ||
    fail "$binary does not import the UCRT's own formatting"
done
grep -q 'Subsystem: IMAGE_SUBSYSTEM_WINDOWS_CUI' <<<"$($readobj --file-headers "$tool")" || fail "$tool: not a console program"
exports=$($objdump -p "$server" | awk '/Export Table:/ {on=1; next} on && /^ +[0-9]+ +0x[0-9a-f]+ +/ {print $NF}' | sort)
[[ "$exports" == $'DllCanUnloadNow\nDllGetClassObject\nDllRegisterServer\nDllUnregisterServer' ]] ||
  fail "exports are: $exports"
resources=$($readobj --coff-resources "$server")
grep -q 'Type: TYPELIB' <<<"$resources" || fail "no type library resource"
registry=$(sed -n '/Type: REGISTRY/,/Type: /p' <<<"$resources" | grep -Eo 'Name: \(ID 10[234]\)' | sort -u | wc -l)
[[ $registry -eq 3 ]] || fail "not the three registry scripts (102 to 104)"
echo "ARM64 deliverables: machine, subsystem, imports, exports and resources as they must be"
