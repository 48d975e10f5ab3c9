#!/usr/bin/env bash
# Installs what the build needs, builds every target, and runs every test through CTest:
#   x86_64   under Wine;
#   i686     under Wine as 32-bit programs (WoW64), where this machine runs 32-bit x86 code;
#   aarch64  under the arm64 Wine of a chroot, through qemu (VERIMARK_ARM64=run, the
#            default); with VERIMARK_ARM64=build only its static checks;
# and the fuzz targets for a short while each. All of them run at the same time, each suite
# in its own Wine prefix and server; the x86_64 suite's output comes as it happens, the
# others' after it, and each suite's summary ends the run.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh
source scripts/build.sh
source scripts/x86-32.sh

suites=(x86_64)
if x86_32_ready; then
  suites+=(i686)
else
  echo "test: SKIPPING the i686 suite: this machine runs no 32-bit x86 code (see scripts/setup.sh)"
fi
if arm64_wanted build; then
  suites+=(aarch64)
  if [[ -z ${VERIMARK_ARM64_CHROOT:-} ]]; then
    echo "test: the aarch64 suite runs its static checks only (VERIMARK_ARM64=$(arm64_mode), or no arm64 Wine)"
  fi
fi

logs="$root/build/test-logs"
mkdir -p "$logs"
# One suite: its own prefix, its own persistent Wine server, stopped however the run ends.
suite() {
  local arch=$1; shift
  (
    export VERIMARK_BUILD_DIR="$root/build/$arch"
    if [[ $arch == aarch64 ]]; then
      if [[ -z ${VERIMARK_ARM64_CHROOT:-} ]]; then
        exec ctest --test-dir "build/$arch" --output-on-failure -R '^Deliverables\.' "$@"
      fi
      trap 'cmake/wine-run-arm64.sh --shell wineserver -k 2>/dev/null || true' EXIT
    else
      source cmake/wine-env.sh
      trap 'wineserver -k 2>/dev/null || true' EXIT
    fi
    # The installer cycles beyond the x64 one are there with VERIMARK_INSTALLER_TESTS=all.
    local only=()
    [[ $arch == x86_64 && ${VERIMARK_INSTALLER_TESTS:-} != all ]] && only=(-LE installer-full)
    ctest --test-dir "build/$arch" --output-on-failure -j "$(nproc)" "${only[@]}" "$@"
  )
}

status=0
# The fuzz targets, natively, for a short while each (VERIMARK_FUZZ_SECONDS, default 20),
# beside the suites: those mostly wait in real time, the fuzzers keep one processor busy.
bash scripts/fuzz.sh "${VERIMARK_FUZZ_SECONDS:-20}" >"$logs/fuzz.log" 2>&1 &
fuzz_pid=$!
# The release artifacts built twice from the commit, compared byte for byte
# (VERIMARK_REPRODUCE=off leaves it out).
reproduce_pid=""
if [[ ${VERIMARK_REPRODUCE:-on} != off ]]; then
  bash scripts/reproduce.sh >"$logs/reproduce.log" 2>&1 &
  reproduce_pid=$!
fi
pids=()
for arch in "${suites[@]:1}"; do
  suite "$arch" "$@" >"$logs/$arch.log" 2>&1 &
  pids+=($!)
done
echo "== x86_64 suite"
suite x86_64 "$@" 2>&1 | tee "$logs/x86_64.log" || status=1
for i in "${!pids[@]}"; do
  arch=${suites[$((i + 1))]}
  wait "${pids[$i]}" || status=1
  echo "== $arch suite"
  cat "$logs/$arch.log"
done
echo "== fuzz targets"
wait "$fuzz_pid" || status=1
cat "$logs/fuzz.log"
if [[ -n $reproduce_pid ]]; then
  echo "== reproducibility"
  wait "$reproduce_pid" || status=1
  cat "$logs/reproduce.log"
fi

echo
for arch in "${suites[@]}"; do
  echo "== $arch suite: $(grep -E '^[0-9]+% tests passed' "$logs/$arch.log" || echo "no summary (see $logs/$arch.log)")"
done
if [[ -n $reproduce_pid ]]; then
  echo "== reproducibility: $(grep -c ' identical$' "$logs/reproduce.log") artifacts identical, $(grep -c ' DIFFERS' "$logs/reproduce.log") differing"
fi
exit $status
