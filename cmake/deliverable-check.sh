#!/usr/bin/env bash
# Static checks of one architecture's shipped binaries, which hold whether or not anything
# here can run them: the machine; the tool a console program; imports of system DLLs only
# (on ARM64 also the UCRT's API sets); the COM server's four exports, undecorated, and its
# type library, registry scripts and manifest; both binaries' version blocks (the
# project's version, company, product, copyright) and the tool's manifest (asInvoker,
# supported Windows versions, long paths); the image hardening (ASLR, high entropy on
# 64-bit, large addresses on 32-bit, no executable data, control-flow guard on ARM64, the
# stack protector everywhere); no path of the building
# machine; and on ARM64 that they call the UCRT's own formatting (an earlier Wine needed
# test copies linked with a formatting shim of their own; no binary of the tree may carry
# one, test programs included).
#   deliverable-check.sh x86_64|i686|aarch64 <tool.exe> <server.dll>
set -euo pipefail
arch=$1 tool=$2 server=$3
readobj=llvm-readobj-14
fail() { echo "$arch: $1"; exit 1; }

case $arch in
  x86_64) machine=IMAGE_FILE_MACHINE_AMD64 flags=(DYNAMIC_BASE HIGH_ENTROPY_VA NX_COMPAT) ;;
  i686) machine=IMAGE_FILE_MACHINE_I386 flags=(DYNAMIC_BASE NX_COMPAT) large=1 ;;
  aarch64) machine=IMAGE_FILE_MACHINE_ARM64 flags=(DYNAMIC_BASE HIGH_ENTROPY_VA NX_COMPAT GUARD_CF) ;;
  *) fail "unknown architecture" ;;
esac
system_dlls='^(KERNEL32|ADVAPI32|OLEAUT32|ole32|USER32|ntdll|msvcrt|api-ms-win-crt-[a-z]+-l1-1-0)\.dll$'

for binary in "$tool" "$server"; do
  [[ -f $binary ]] || fail "missing: $binary (build first)"
  headers=$($readobj --file-headers "$binary")
  grep -q "Machine: $machine " <<<"$headers" || fail "$binary: not $machine"
  dll=$(sed -n '/ImageOptionalHeader/,/^  ]/p' <<<"$headers")
  for flag in "${flags[@]}"; do
    grep -q "IMAGE_DLL_CHARACTERISTICS_$flag " <<<"$dll" || fail "$binary: no $flag"
  done
  if [[ ${large:-0} == 1 ]]; then
    grep -q 'IMAGE_FILE_LARGE_ADDRESS_AWARE ' <<<"$headers" || fail "$binary: not large-address aware"
  fi
  imports=$($readobj --coff-imports "$binary" | awk '/^  Name:/ {print $2}' | sort -u)
  others=$(grep -Ev "$system_dlls" <<<"$imports" || true)
  [[ -z $others ]] || fail "$binary imports more than system DLLs: $others"
  if [[ $arch == aarch64 ]]; then
    # A shim would define the UCRT's formatting entry points itself; these import them.
    grep -q '__stdio_common_vfprintf\|__stdio_common_vsprintf' <<<"$($readobj --coff-imports "$binary")" ||
      fail "$binary does not import the UCRT's own formatting"
  fi
done
# No path of the machine that built them (the same commit must give the same bytes anywhere):
# neither the checkout's nor the cache's, where the ARM64 toolchain and its runtimes live.
for binary in "$tool" "$server"; do
  for path in "$(cd "$(dirname "$0")/.." && pwd)/" "${XDG_CACHE_HOME:-$HOME/.cache}/"; do
    if grep -qaF "$path" "$binary"; then fail "$binary holds a path of the machine that built it: $path"; fi
  done
done
if [[ $arch == aarch64 ]]; then
  # Nothing the tree built, test programs included, carries the old shim (its mark).
  tree=$(cd "$(dirname "$tool")/.." && pwd)
  while IFS= read -r -d '' program; do
    if grep -qa 'verimark-stdio-shim' "$program"; then fail "$program carries the formatting shim"; fi
  done < <(find "$tree" \( -name '*.exe' -o -name '*.dll' \) -print0)
fi
protector=$("$(dirname "$0")/stack-protector-check.sh" "$tool" "$server") || fail "$protector"
grep -q 'Subsystem: IMAGE_SUBSYSTEM_WINDOWS_CUI' <<<"$($readobj --file-headers "$tool")" || fail "$tool: not a console program"

exports=$($readobj --coff-exports "$server" | awk '/Name:/ {print $2}' | sort)
[[ "$exports" == $'DllCanUnloadNow\nDllGetClassObject\nDllRegisterServer\nDllUnregisterServer' ]] ||
  fail "exports are: $exports"
resources=$($readobj --coff-resources "$server")
grep -q 'Type: TYPELIB' <<<"$resources" || fail "no type library resource"
grep -q 'Type: MANIFEST' <<<"$resources" || fail "no manifest"
registry=$(sed -n '/Type: REGISTRY/,/Type: /p' <<<"$resources" | grep -Eo 'Name: \(ID 10[2345]\)' | sort -u | wc -l)
[[ $registry -eq 4 ]] || fail "not the four registry scripts (102 to 105)"
for class in Session Evaluation; do
  grep -qa "TVKVerimarkMod.$class.1" "$server" || fail "the registry scripts lack the $class class"
done
version=$(sed -n 's/^project(Verimark VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../CMakeLists.txt")
for binary in "$tool" "$server"; do
  grep -q 'Type: VERSIONINFO' <<<"$($readobj --coff-resources "$binary")" || fail "$binary: no version block"
  texts=$(x86_64-w64-mingw32-strings -el "$binary")
  for text in CompanyName Quorlan FileVersion ProductVersion ProductName LegalCopyright "Copyright (C) Quorlan" \
              "$version.0"; do
    grep -qxF "$text" <<<"$texts" || fail "$binary: its version block lacks \"$text\""
  done
done
grep -q 'Type: MANIFEST' <<<"$($readobj --coff-resources "$tool")" || fail "$tool: no manifest"
manifest=$(x86_64-w64-mingw32-strings -n 8 "$tool")
for text in 'level="asInvoker"' '<ws2:longPathAware>true</ws2:longPathAware>' \
            '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>'; do
  grep -qF "$text" <<<"$manifest" || fail "$tool: its manifest lacks $text"
done
grep -qF 'activeCodePage' <<<"$manifest" && fail "$tool: its manifest changes the ANSI code page"
echo "$arch deliverables: machine, subsystem, imports, exports, resources, versions, manifest, hardening, stack protector and paths as they must be"
