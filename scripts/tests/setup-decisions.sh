#!/usr/bin/env bash
# Checks what scripts/setup.sh decides when the archive misbehaves, without root and
# without touching the machine: apt-get, dpkg, dpkg-query and sudo are stand-ins on PATH,
# the cache is a scratch folder, and a stand-in probe says that 32-bit x86 code runs.
# Prints "ok <check>" or "FAILED <check>: <why>" per check; fails when one fails.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

mkdir -p "$scratch/bin"
cat >"$scratch/bin/apt-get" <<'EOF'
#!/usr/bin/env bash
# The archive as the check describes it: STANDIN_FAIL_UPDATE=1 breaks one index,
# STANDIN_FAIL_INSTALL names packages whose install fails.
echo "apt-get $*" >>"$STANDIN/calls"
case " $* " in
  *" update "*)
    if [[ ${STANDIN_FAIL_UPDATE:-0} == 1 ]]; then
      echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
      exit 100
    fi
    exit 0 ;;
  *" install "*)
    for p in "$@"; do
      [[ $p == -* || $p == install ]] && continue
      if [[ " ${STANDIN_FAIL_INSTALL:-} " == *" $p "* ]]; then
        echo "The following packages have unmet dependencies:"
        echo " libcurl4:i386 : Depends: libbrotli1:i386 (>= 0.6.0) but it is not going to be installed"
        echo "E: Error, pkgProblemResolver::Resolve generated breaks, this may be caused by held packages." >&2
        exit 100
      fi
    done
    for p in "$@"; do [[ $p == -* || $p == install ]] || echo "$p" >>"$STANDIN/installed"; done ;;
esac
EOF
cat >"$scratch/bin/dpkg-query" <<'EOF'
#!/usr/bin/env bash
grep -qx "${!#}" "$STANDIN/installed" 2>/dev/null && printf 'install ok installed' || exit 1
EOF
cat >"$scratch/bin/dpkg" <<'EOF'
#!/usr/bin/env bash
echo "dpkg $*" >>"$STANDIN/calls"
EOF
printf '#!/usr/bin/env bash\nexec "$@"\n' >"$scratch/bin/sudo"
# What building the i686 root calls, as stand-ins: root is had, mounts and device nodes are
# nothing, and the root's apt installs Wine's loaders unless STANDIN_FAIL_ROOT=1.
printf '#!/usr/bin/env bash\n[[ $1 == -u ]] && echo 0 || /usr/bin/id "$@"\n' >"$scratch/bin/id"
printf '#!/usr/bin/env bash\nexit 0\n' >"$scratch/bin/mount"
printf '#!/usr/bin/env bash\ntouch "$3"\n' >"$scratch/bin/mknod"
cat >"$scratch/bin/unshare" <<'EOF'
#!/usr/bin/env bash
while [[ $1 == --* ]]; do [[ $1 == --propagation ]] && shift; shift; done
exec "$@"
EOF
cat >"$scratch/bin/chroot" <<'EOF'
#!/usr/bin/env bash
root=$1; shift
echo "chroot $*" >>"$STANDIN/calls"
if [[ " $* " == *" install "* ]]; then
  [[ ${STANDIN_FAIL_ROOT:-0} == 1 ]] && { echo "E: Unable to locate package wine32:i386" >&2; exit 100; }
  mkdir -p "$root/usr/lib/wine" && touch "$root/usr/lib/wine/wine" "$root/usr/lib/wine/wine64" &&
    chmod +x "$root/usr/lib/wine/wine" "$root/usr/lib/wine/wine64"
fi
exit 0
EOF
chmod +x "$scratch/bin"/*

failures=0
check() {  # check <name> <condition...>
  local name=$1; shift
  if "$@"; then echo "ok $name"; else echo "FAILED $name: $(tail -n 3 "$STANDIN/out" | tr '\n' ' ')"; failures=$((failures + 1)); fi
}

# One setup run in a fresh stand-in machine; its output in $STANDIN/out, its status in $ran.
run_setup() {
  export STANDIN="$scratch/machine-$1"
  shift
  mkdir -p "$STANDIN/cache/verimark"
  : >"$STANDIN/installed"
  : >"$STANDIN/calls"
  printf '#!/bin/sh\nexit 42\n' >"$STANDIN/cache/verimark/probe-i386"
  chmod +x "$STANDIN/cache/verimark/probe-i386"
  mkdir -p "$STANDIN/cache/verimark/debootstrap/usr/sbin"
  printf '#!/usr/bin/env bash\necho "debootstrap $*" >>"$STANDIN/calls"\nmkdir -p "${@: -2:1}/etc/apt"\n' \
    >"$STANDIN/cache/verimark/debootstrap/usr/sbin/debootstrap"
  chmod +x "$STANDIN/cache/verimark/debootstrap/usr/sbin/debootstrap"
  ran=0
  env PATH="$scratch/bin:$PATH" XDG_CACHE_HOME="$STANDIN/cache" VERIMARK_APT_PAUSE=0 VERIMARK_ARM64=off "$@" \
    bash "$root/scripts/setup.sh" >"$STANDIN/out" 2>&1 || ran=$?
}
said() { grep -q -- "$1" "$STANDIN/out"; }
called() { grep -q -- "$1" "$STANDIN/calls"; }
why_not_i686() {
  (export XDG_CACHE_HOME="$STANDIN/cache"; unset verimark_root; source "$root/scripts/x86-32.sh"; x86_32_why_not)
}

# An index that never downloads: setup goes on, and the install decides.
run_setup bad-index STANDIN_FAIL_UPDATE=1 VERIMARK_ARCHS="x86_64 i686"
check "a failing index does not stop setup" test "$ran" -eq 0
check "the failing index is named" said "apt-get update failed three times (Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz"
check "update is tried three times" test "$(grep -c '^apt-get update' "$STANDIN/calls")" -eq 3
check "the base packages are installed" grep -qx mingw-w64 "$STANDIN/installed"

# The i686 root: built from bookworm's main suite alone when missing, with the pinned Wine;
# nothing 32-bit on the host, whatever its indexes say.
i686_root="$STANDIN/cache/verimark/i686-root-bookworm-wine-8.0_repack-4"
check "the i686 root is built when missing" called "debootstrap --arch=amd64 --variant=minbase bookworm $i686_root"
check "its Wine is the pinned one" called "apt-get install .* wine32:i386=8.0~repack-4"
check "it is complete" test -f "$i686_root/.complete"
check "the host gets nothing 32-bit" bash -c '! grep -q i386 "$1/installed"' _ "$STANDIN"
run_setup bad-index VERIMARK_ARCHS="x86_64 i686"
check "the i686 root is reused when present" bash -c '! grep -q debootstrap "$1/calls"' _ "$STANDIN"
run_setup bad-index VERIMARK_ARCHS="x86_64 i686" VERIMARK_I686_WINE_VERSION=8.0~repack-5
check "a new pinned Wine builds a new root" \
  called "debootstrap .* $STANDIN/cache/verimark/i686-root-bookworm-wine-8.0_repack-5"

# A root that cannot be built: setup succeeds and keeps the reason, which fails the test run.
run_setup no-root STANDIN_FAIL_ROOT=1 VERIMARK_ARCHS="x86_64 i686"
check "an unbuildable root ends setup successfully" test "$ran" -eq 0
check "setup says why in one line" said "setup: the i686 root could not be built (see .*i686-root.log): the i686 suite cannot run"
check "the test run's reason is the true one" \
  bash -c '[[ "$1" == "the i686 root could not be built"* ]]' _ "$(why_not_i686)"
check "no half-built root is taken" bash -c '! test -f "$1"/i686-root-*/.complete' _ "$STANDIN/cache/verimark"

# A base package that cannot be installed: setup stops, naming it.
run_setup no-mingw STANDIN_FAIL_INSTALL=mingw-w64 VERIMARK_ARCHS=x86_64
check "a missing base package stops setup" test "$ran" -ne 0
check "the failing install names its packages" said "setup: could not install .*mingw-w64.*: libcurl4:i386 : Depends"

# A browser the archive cannot give: setup succeeds, the browser test is skipped for that reason.
run_setup no-browser STANDIN_FAIL_INSTALL=chromium VERIMARK_ARCHS=x86_64
check "an uninstallable chromium ends setup successfully" test "$ran" -eq 0
check "the browser test's reason is kept" grep -q "^chromium could not be installed: libcurl4:i386" \
  "$STANDIN/cache/verimark/chromium-unavailable"

# The demo's setting: nothing 32-bit is asked for, and no browser.
run_setup demo VERIMARK_ARCHS=x86_64 VERIMARK_BROWSER=off
check "the x86-64 tree alone installs nothing 32-bit" \
  bash -c '! grep -q "i386" "$1/calls" && ! grep -q i386 "$1/installed"' _ "$STANDIN"
check "the demo installs no browser" bash -c '! grep -q chromium "$1/calls"' _ "$STANDIN"

exit $((failures > 0))
