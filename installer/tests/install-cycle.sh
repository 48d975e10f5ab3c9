#!/usr/bin/env bash
# The packages as an administrator uses them, each case in a fresh Wine prefix:
#   x64      the DLLs' own registration and the package's rows compared; an install folder
#            outside Program Files refused, and the x86 package on this 64-bit Windows; install;
#            the installed tool runs a session against the stand-in agent; a 64-bit and a
#            32-bit script host create every ProgID and run a session; uninstall leaves nothing
#   x86      the same for the x86 package (32-bit tool, 32-bit host) in a 32-bit prefix, the
#            32-bit Windows it is for
#   arm64    the arm64 package under the arm64 Wine of a chroot: its tables against what
#            Windows needs of an Arm64 package; install; files, record, PATH and COM rows;
#            a session through the installed registration (see below); uninstall leaves nothing
#   no-path  installed without the PathEntry feature, PATH is as it was
#   upgrade  a newer package replaces an older one; the older one is refused over it
# Needs the packages of scripts/package.sh in build/packages.
#   install-cycle.sh <case>
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# Every other case needs 32-bit programs (the 32-bit server and script host, the x86 package).
source "$root/scripts/x86-32.sh"
case=${1:?"usage: install-cycle.sh x64|x86|no-path|upgrade"}
version=$(sed -n 's/^project(Verimark VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
packages="$root/build/packages"
url="http://myserver:52311/cgi-bin/tvkgather.exe/actionsite"
document="Workstation Baseline"

if [[ $case == arm64 ]]; then
  [[ -f "$packages/Verimark-$version-arm64.msi" ]] || { echo "install-cycle arm64: SKIPPED: no arm64 package"; exit 77; }
  export VERIMARK_ARM64_CHROOT
  VERIMARK_ARM64_CHROOT=$(bash "$root/scripts/arm64-wine.sh" --check 2>/dev/null) ||
    { echo "install-cycle arm64: SKIPPED: no arm64 Wine here"; exit 77; }
elif ! x86_32_ready; then
  echo "install-cycle $case: SKIPPED: $(x86_32_why_not)"
  exit 77
fi

work="$root/build/installer-tests/$case"
rm -rf "$work" && mkdir -p "$work"
use_wine_tree "$work" wine64
# The x64 and x86 packages carry 32-bit programs: their cycles run under the Wine of the
# i686 root (scripts/x86-32-root.sh), which has both loaders.
export VERIMARK_CHROOT
[[ $case == arm64 ]] || VERIMARK_CHROOT=$(bash "$root/scripts/x86-32-root.sh" --check 2>/dev/null)
in_root() { "$root/cmake/wine-run-chroot.sh" --shell "$@"; }
wine_run() { "$root/cmake/wine-run-chroot.sh" "$@" </dev/null; }
# 32-bit programs go through the 32-bit loader; their output to files (a 32-bit program
# may start a desktop process that would hold a pipe open).
wine32_run() { wine_run cmd /c exit 0 >/dev/null; in_root wine "$@" >"$work/run32.out" 2>&1 </dev/null; local s=$?; cat "$work/run32.out"; return $s; }
windows() { local p=${1//\//\\}; echo "Z:$p"; }  # the host's winepath would start the host's Wine
stop() { in_root wineserver -k 2>/dev/null || true; in_root wineserver -w 2>/dev/null || true; }
trap 'stop' EXIT
fail() { echo "install-cycle $case: FAILED: $*"; exit 1; }
step() { echo "install-cycle $case: $*"; }

# The registry as Wine keeps it on disk (the server writes it out when it stops).
registry() { stop; cat "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg"; }
# The "InstallFolder" value under a key of system.reg (a key as the file spells it).
recorded_folder() {
  stop
  key="[$1]" awk 'index($0, ENVIRON["key"]) == 1 {inside = 1; next} /^\[/ {inside = 0}
                  inside && /^"InstallFolder"=/ {print; exit}' "$WINEPREFIX/system.reg"
}
# The 64-bit packages record the install folder in both registry views.
both_views_check() {
  local folder=$1 value
  value="\"InstallFolder\"=\"${folder//\\/\\\\}\\\\\""
  [[ $(recorded_folder 'Software\\Quorlan\\Verimark') == "$value" ]] || fail "no InstallFolder in the 64-bit view"
  [[ $(recorded_folder 'Software\\Wow6432Node\\Quorlan\\Verimark') == "$value" ]] ||
    fail "no InstallFolder in the 32-bit view: $(recorded_folder 'Software\\Wow6432Node\\Quorlan\\Verimark')"
  step "the install folder is recorded in both registry views"
}

# The COM registration, key by key with its values, in both registry views, paths made
# alike ("<path>"): what a package and the DLL's own registration are compared by.
com_rows() {
  registry | awk '
    /^\[/ { key = tolower($0); sub(/\] [0-9]+$/, "]", key)
            keep = key ~ /software\\\\classes\\\\(wow6432node\\\\)?(clsid\\\\\{5b0f3a6[234]|interface\\\\\{5b0f3a6[567]|typelib\\\\\{5b0f3a61|tvkverimarkmod\.)/
            if (keep) print key; next }
    /^#/ || /^$/ { next }
    keep { print key " " $0 }' |
    sed -E 's/="[A-Za-z]:\\\\[^"]*"/="<path>"/' | sort
}

# What names the product: registry lines and files, without Windows Installer's own
# bookkeeping (its caches of packages, products and components) and without the stand-in
# agent's keys and folders (not the product's).
residue() {
  registry | awk '/^\[/ { key = $0 } { print key " " $0 }' |
    { grep -iE 'verimark|tvkverimarkmod|5b0f3a6|6e1c2b40' || true; } |
    { grep -viE 'installer\\\\|uninstall\\\\\{|^\[software\\\\classes\\\\installer' || true; } |
    { grep -viE '^\[software\\\\quorlan\\\\(verimarkapi|enterpriseclient)\]' || true; } |
    sed -E 's/\] [0-9]+ /] /; /#time=/d' | sort -u
  (cd "$WINEPREFIX/drive_c" && find . -iname '*verimark*' -o -iname '*quorlan*' -o -iname '*tvk*' |
     { grep -vE '^./(windows/Installer|ProgramData/Quorlan)' || true; } | sort)
}

path_value() {
  # Wine 10 keeps the key under ControlSet001 (CurrentControlSet is a link to it).
  registry | awk '/^\[System\\\\(CurrentControlSet|ControlSet001)\\\\Control\\\\Session Manager\\\\Environment\]/ {on=1; next}
                  on && /^\[/ {on = 0} on && tolower($0) ~ /^"path"=/ {print}' | sed -E 's/;+"$/"/'
}

msiexec64() { wine_run msiexec "$@" </dev/null >/dev/null 2>&1; }
msiexec32() { wine32_run C:\\windows\\syswow64\\msiexec.exe "$@" >/dev/null; }
system32=syswow64  # where a 32-bit program's system folder is
agent="$root/build/x86_64/agent/TVKClientSim.exe"

if [[ $case == arm64 ]]; then
  wine_run() { "$root/cmake/wine-run-arm64.sh" "$@" </dev/null; }
  stop() { "$root/cmake/wine-run-arm64.sh" --shell wineserver -k 2>/dev/null || true; sleep 1; }
  msiexec64() { wine_run msiexec "$@" >/dev/null 2>&1; }
  windows() { local p=${1//\//\\}; echo "Z:$p"; }  # the host's winepath would start the host's Wine here
  agent="$root/build/aarch64/agent/TVKClientSim.exe"
fi

if [[ $case == x86 ]]; then
  # 32-bit Windows: a prefix of its own kind, with one registry view and no WoW64.
  export WINEARCH=win32
  in_root wineboot -i </dev/null >/dev/null 2>&1 || true
  in_root wineserver -w
  in_root /bin/sh -c 'wineserver -p </dev/null >/dev/null 2>&1 && wine wineboot </dev/null >/dev/null 2>&1' || true
  wine_run() { in_root wine "$@" </dev/null; }
  wine32_run() { in_root wine "$@" >"$work/run32.out" 2>&1 </dev/null; local s=$?; cat "$work/run32.out"; return $s; }
  msiexec32() { wine32_run msiexec "$@" >/dev/null; }
  system32=system32
  agent="$root/build/i686/agent/TVKClientSim.exe"
fi

start_agent() {
  wine_run "$agent" install >/dev/null
  wine_run "$agent" run --data "$(windows "$root/agent/sample")" \
    --check-interval 100 >"$work/agent.log" 2>&1 &
  for _ in $(seq 1 200); do grep -q "running:" "$work/agent.log" 2>/dev/null && return 0; sleep 0.1; done
  fail "the stand-in agent did not start"
}
stop_agent() { wine_run "$agent" stop >/dev/null 2>&1 || true; sleep 1; }

session_checks() {
  local folder=$1 hosts=$2 out
  start_agent
  step "the installed tool runs a session"
  out=$(wine_run "$folder\\Verimark.exe" -c "$url" "$document" | tr -d '\r')
  grep -aq "COMPLIANCE_ResultCount is 8" <<<"$out" || fail "the installed tool: $out"
  cp "$root/installer/tests/progids.js" "$work/progids.js"
  local script
  script=$(windows "$work/progids.js")
  if [[ $hosts == *64* ]]; then
    step "a 64-bit script host creates every ProgID and runs a session"
    out=$(wine_run C:\\windows\\system32\\cscript.exe //nologo "$script" "$url" "$document" | tr -d '\r')
    grep -aq "progids: ok, 8 items" <<<"$out" || fail "64-bit cscript: $out"
  fi
  step "a 32-bit script host creates every ProgID and runs a session"
  out=$(wine32_run "C:\\windows\\$system32\\cscript.exe" //nologo "$script" "$url" "$document" | tr -d '\r')
  grep -aq "progids: ok, 8 items" <<<"$out" || fail "32-bit cscript: $out"
  stop_agent
}

# The rows that keep the install folders safe: their permissions locked (nothing inherited;
# full control for SYSTEM and the Administrators, read and execute for the Users), and the
# refusal of a folder outside Program Files or not in its plain form (what the rule decides
# for each kind of folder is installer/tests/folder-rule.js's test).
folder_rows_check() {
  local package=$1 folders=$2 rows sequence f part
  rows=$(msiinfo export "$package" MsiLockPermissionsEx | tr -d '\r')
  for f in $folders; do
    grep -qP "^Lock$f\t$f\tCreateFolder\tD:P\(A;OICI;FA;;;SY\)\(A;OICI;FA;;;BA\)\(A;OICI;0x1200a9;;;BU\)\t?$" <<<"$rows" ||
      fail "the permissions of $f are not locked: $rows"
    grep -qP "^$f\t" <(msiinfo export "$package" CreateFolder | tr -d '\r') || fail "$f has no CreateFolder row to lock"
  done
  sequence=$(msiinfo export "$package" InstallExecuteSequence | tr -d '\r' | grep '^RefuseInstallFolderOutsideProgramFiles')
  for f in $folders; do
    for part in "NOT ($f ~<< " "$f >< \"\\..\\\"" "$f >< \"\\.\\\"" "$f >< \"/\"" "$f >< \"\\\\\""; do
      grep -qF "$part" <<<"$sequence" || fail "the refusal does not test $part: $sequence"
    done
  done
  step "the rows: $folders locked (Administrators, SYSTEM, Users read and execute, nothing inherited), plain folders inside Program Files only"
}

package=$packages/Verimark-$version-x64.msi
case $case in
x64|x86)
  [[ $case == x86 ]] && package=$packages/Verimark-$version-x86.msi
  [[ -f $package ]] || fail "no package $package: run scripts/package.sh"
  wine_run cmd /c exit 0 >/dev/null  # the fresh prefix
  stage="$packages/stage-$version"
  step "the DLLs' own registration (regsvr32), for the comparison"
  if [[ $case == x64 ]]; then
    wine_run regsvr32 /s "$(windows "$stage/x64/TVKVerimarkMod.dll")" || fail "regsvr32 (64-bit)"
  fi
  wine32_run "C:\\windows\\$system32\\regsvr32.exe" /s "$(windows "$stage/x86/TVKVerimarkMod.dll")" >/dev/null ||
    fail "regsvr32 (32-bit)"
  com_rows >"$work/own-registration.txt"
  [[ -s "$work/own-registration.txt" ]] || fail "regsvr32 wrote nothing"
  wine32_run "C:\\windows\\$system32\\regsvr32.exe" /u /s "$(windows "$stage/x86/TVKVerimarkMod.dll")" >/dev/null || true
  [[ $case == x64 ]] && { wine_run regsvr32 /u /s "$(windows "$stage/x64/TVKVerimarkMod.dll")" || true; }
  residue >"$work/before.txt"
  path_value >"$work/path-before.txt"

  if [[ $case == x86 ]]; then folder_rows_check "$package" INSTALLFOLDER; fi
  if [[ $case == x64 ]]; then
    folder_rows_check "$package" "INSTALLFOLDER INSTALLFOLDER32"
    step "an install folder outside Program Files is refused"
    if msiexec64 /i "$(windows "$package")" /qn /l*v "$(windows "$work")\\outside.log" 'INSTALLFOLDER=C:\Verimark\'; then
      fail "installed outside Program Files"
    fi
    # Wine logs no text for the refusal: it shows that the install stopped at the rule.
    grep -aq "Action start .*: RefuseInstallFolderOutsideProgramFiles" "$work/outside.log" &&
      ! grep -aq "Action start .*: InstallFiles" "$work/outside.log" || fail "not refused by the package's own rule"
    [[ ! -e "$WINEPREFIX/drive_c/Verimark" ]] || fail "C:\Verimark was made"
    step "the x86 package is refused on 64-bit Windows"
    if msiexec32 /i "$(windows "$packages/Verimark-$version-x86.msi")" /qn /l*v "$(windows "$work")\\x86.log"; then
      fail "the x86 package was installed"
    fi
    grep -aq "Action start .*: LaunchConditions" "$work/x86.log" && ! grep -aq "Action start .*: CostInitialize" "$work/x86.log" ||
      fail "not refused by its launch condition"
    diff -u "$work/before.txt" <(residue) || fail "a refused install left the lines above"
  fi

  step "install $(basename "$package") (msiexec /i /qn)"
  started=$SECONDS
  if [[ $case == x64 ]]; then msiexec64 /i "$(windows "$package")" /qn; else msiexec32 /i "$(windows "$package")" /qn; fi ||
    fail "msiexec /i"
  echo "install-cycle $case: installed in $((SECONDS - started)) s"
  com_rows >"$work/package-registration.txt"
  if ! diff -u "$work/own-registration.txt" "$work/package-registration.txt" >"$work/rows.diff"; then
    cat "$work/rows.diff"
    fail "the package's COM rows differ from what the DLLs' own registration writes"
  fi
  step "COM rows: the package writes what the DLLs' own registration writes ($(wc -l <"$work/own-registration.txt") lines, paths aside)"
  folder='C:\Program Files\Quorlan\Verimark'
  grep -qF "\"InstallFolder\"=\"${folder//\\/\\\\}\\\\\"" <(registry) || fail "the install folder is not recorded"
  [[ $case == x64 ]] && both_views_check "$folder"
  grep -qiF "${folder//\\/\\\\}" <(path_value) || fail "the tool's folder is not on PATH"
  session_checks "$folder" "$([[ $case == x64 ]] && echo 64)"

  step "uninstall (msiexec /x /qn)"
  started=$SECONDS
  if [[ $case == x64 ]]; then msiexec64 /x "$(windows "$package")" /qn; else msiexec32 /x "$(windows "$package")" /qn; fi ||
    fail "msiexec /x"
  echo "install-cycle $case: uninstalled in $((SECONDS - started)) s"
  residue >"$work/after.txt"
  if ! diff -u "$work/before.txt" "$work/after.txt"; then fail "the uninstall left the lines above behind"; fi
  diff -u "$work/path-before.txt" <(path_value) || fail "PATH is not as it was"
  ;;
arm64)
  package=$packages/Verimark-$version-arm64.msi
  stage="$packages/stage-$version"
  step "the tables: what Windows needs of an Arm64 package"
  suminfo=$(msiinfo suminfo "$package")
  grep -q '^Template: Arm64;1033$' <<<"$suminfo" || fail "the template is not Arm64;1033"
  grep -qE '^Version: (5[0-9]{2}|[6-9][0-9]{2})' <<<"$suminfo" || fail "the schema is below 500 (Windows Installer 5)"
  components=$(msiinfo export "$package" Component | tr -d '\r')
  for c in Tool Server64 InstallFolderRecord PathEntry MakerFolder64; do
    attributes=$(awk -F'\t' -v c=$c '$1 == c {print $4}' <<<"$components")
    (( (attributes & 256) != 0 )) || fail "component $c is not 64-bit"
  done
  attributes=$(awk -F'\t' '$1 == "Server32" {print $4}' <<<"$components")
  (( (attributes & 256) == 0 )) || fail "the 32-bit server's component is marked 64-bit"
  directories=$(msiinfo export "$package" Directory | tr -d '\r')
  grep -qP '^Quorlan64\tProgramFiles64Folder\t' <<<"$directories" || fail "the ARM64 files are not under ProgramFiles64Folder"
  grep -qP '^Quorlan32\tProgramFilesFolder\t' <<<"$directories" || fail "the 32-bit server is not under ProgramFilesFolder"
  folder_rows_check "$package" "INSTALLFOLDER INSTALLFOLDER32"

  wine_run cmd /c exit 0 >/dev/null
  residue >"$work/before.txt"
  path_value >"$work/path-before.txt"
  # The arm64 Wine sets ProgramFiles64Folder and ProgramFilesFolder for an ARM64 package
  # as Windows does: nothing is given on the command line.
  folder='C:\Program Files\Quorlan\Verimark' folder32='C:\Program Files (x86)\Quorlan\Verimark'
  step "install $(basename "$package") (msiexec /i /qn)"
  msiexec64 /i "$(windows "$package")" /qn /l*v "$(windows "$work")\\install.log" ||
    fail "msiexec /i (see $work/install.log)"
  installed="$WINEPREFIX/drive_c/Program Files/Quorlan/Verimark"
  cmp "$installed/Verimark.exe" "$stage/arm64/Verimark.exe" || fail "the installed tool is not the ARM64 one"
  cmp "$installed/TVKVerimarkMod.dll" "$stage/arm64/TVKVerimarkMod.dll" || fail "the installed server is not the ARM64 one"
  cmp "$WINEPREFIX/drive_c/Program Files (x86)/Quorlan/Verimark/TVKVerimarkMod.dll" "$stage/x86/TVKVerimarkMod.dll" ||
    fail "the installed 32-bit server is not the x86 one"
  grep -qF "\"InstallFolder\"=\"${folder//\\/\\\\}\\\\\"" <(registry) || fail "the install folder is not recorded"
  both_views_check "$folder"
  grep -qiF "${folder//\\/\\\\}" <(path_value) || fail "the tool's folder is not on PATH"
  rows=$(com_rows)
  grep -q 'software\\\\classes\\\\clsid\\\\{5b0f3a6' <<<"$rows" || fail "no 64-bit COM rows"
  grep -q 'software\\\\classes\\\\wow6432node\\\\clsid\\\\{5b0f3a6' <<<"$rows" || fail "no 32-bit COM rows"
  # The installed programs themselves: the very bytes the package carries.
  step "a session through the installed registration, with the installed tool and server"
  start_agent
  out=$(wine_run "$folder\\Verimark.exe" -c "$url" "$document" | tr -d '\r')
  grep -aq "COMPLIANCE_ResultCount is 8" <<<"$out" || fail "the installed tool: $out"
  cp "$root/installer/tests/progids.js" "$work/progids.js"
  out=$(wine_run C:\\windows\\system32\\cscript.exe //nologo "$(windows "$work/progids.js")" "$url" "$document" | tr -d '\r')
  grep -aq "progids: ok, 8 items" <<<"$out" || fail "the ARM64 script host: $out"
  stop_agent
  step "uninstall (msiexec /x /qn)"
  msiexec64 /x "$(windows "$package")" /qn || fail "msiexec /x"
  residue >"$work/after.txt"
  diff -u "$work/before.txt" "$work/after.txt" || fail "the uninstall left the lines above behind"
  diff -u "$work/path-before.txt" <(path_value) || fail "PATH is not as it was"
  ;;
no-path)
  wine_run cmd /c exit 0 >/dev/null
  path_value >"$work/path-before.txt"
  step "install without the PathEntry feature (ADDLOCAL=Product)"
  msiexec64 /i "$(windows "$package")" /qn ADDLOCAL=Product || fail "msiexec /i"
  [[ -f "$WINEPREFIX/drive_c/Program Files/Quorlan/Verimark/Verimark.exe" ]] || fail "the tool is not installed"
  diff -u "$work/path-before.txt" <(path_value) || fail "PATH changed"
  msiexec64 /x "$(windows "$package")" /qn || fail "msiexec /x"
  ;;
upgrade)
  older="$work/older"
  step "an older package (0.9.0) from the same binaries"
  bash "$root/scripts/package.sh" --version 0.9.0 --out "$older" >/dev/null
  wine_run cmd /c exit 0 >/dev/null
  msiexec64 /i "$(windows "$older/Verimark-0.9.0-x64.msi")" /qn || fail "installing 0.9.0"
  step "the newer package replaces it"
  msiexec64 /i "$(windows "$package")" /qn || fail "installing $version over 0.9.0"
  products=$(registry | grep -ciE '^\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\\{[^}]*\}\]' || true)
  versions=$(registry | grep -E '^"DisplayVersion"=' | sort -u)
  [[ $products -eq 1 ]] || fail "$products products are registered after the upgrade, not one"
  grep -q "\"$version\"" <<<"$versions" || fail "$version is not registered: $versions"
  ! grep -q '"0.9.0"' <<<"$versions" || fail "0.9.0 is still registered beside $version"
  step "the older package is refused over the newer one"
  if msiexec64 /i "$(windows "$older/Verimark-0.9.0-x64.msi")" /qn; then fail "0.9.0 was installed over $version"; fi
  grep -q "\"$version\"" <<<"$(registry | grep -E '^"DisplayVersion"=')" || fail "$version is gone"
  msiexec64 /x "$(windows "$package")" /qn || fail "msiexec /x"
  ;;
*) fail "no such case" ;;
esac
step "passed"
stop
trap - EXIT
rm -rf "$work"
