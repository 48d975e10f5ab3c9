#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's own prefix. CTest uses it as the
# cross-compiling emulator, so every test executable goes through here.
#
# Wine's helper processes (services.exe, rpcss) inherit the standard handles of the first
# Wine program of a prefix; if that program runs under CTest, CTest waits for them. So the
# prefix is created, and a persistent server with its services started, here, detached from
# our standard handles, before the real program runs. The lock serialises that warm-up;
# its descriptor is closed on every Wine command, or the server would hold it for ever.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"

# A prefix made before wine32 was installed has no 32-bit side (syswow64): it is made
# again, not used half ready. The mark says which kind the prefix is.
kind=win64
[[ -x /usr/lib/wine/wine ]] && kind=wow64
exec 9>"$WINEPREFIX.lock"
flock 9
if [[ "$(cat "$WINEPREFIX/.verimark-ready" 2>/dev/null)" != "$kind" ]]; then
  wineserver -k 9>&- 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  # A Wine that cannot start at all loops here rather than failing: bounded, and named.
  status=0
  timeout "${VERIMARK_WINEBOOT_SECONDS:-600}" wineboot -i </dev/null >/dev/null 2>&1 9>&- || status=$?
  if [[ $status == 124 ]]; then
    echo "wine-run: making the Wine prefix $WINEPREFIX did not finish within ${VERIMARK_WINEBOOT_SECONDS:-600} s:" \
         "Wine does not start here${QEMU_CPU:+ (under qemu with QEMU_CPU=$QEMU_CPU: a CPU model with BTI makes the arm64 Wine loop)}" >&2
    wineserver -k 9>&- 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    exit 1
  fi
  wineserver -w 9>&-
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1 9>&- || true
  wineserver -w 9>&-
  echo "$kind" >"$WINEPREFIX/.verimark-ready"
fi
# Exit status 0: we started the server, so bring the services up under it now.
# Status 2: a server for this prefix already runs.
if wineserver -p </dev/null >/dev/null 2>&1 9>&-; then
  wine wineboot </dev/null >/dev/null 2>&1 9>&- || true
fi
flock -u 9
exec 9>&-
exec "$VERIMARK_WINE" "$@"
