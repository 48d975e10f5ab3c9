#!/usr/bin/env bash
# Installs what the build needs, builds the targets, and runs every test through CTest:
#   x86_64   under Wine;
#   i686     under Wine as 32-bit programs (WoW64), where this machine runs 32-bit x86 code;
#   aarch64  under the arm64 Wine of a chroot, through qemu (VERIMARK_ARM64=run, the
#            default); with VERIMARK_ARM64=build, or without the arm64 Wine, its static
#            checks only;
# the fuzz targets for a short while each, and the release artifacts built twice and
# compared. VERIMARK_ARCHS narrows the targets, built and tested alike. The suites run at
# the same time, each in Wine prefixes and servers of its own; the first suite's output
# comes as it happens, the others' after it, and one summary line per part ends the run.
# Arguments go to every suite's ctest.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/x86-32.sh"
cd "$verimark_root"

case ${VERIMARK_INSTALLER_TESTS:-default} in default|all) ;; *)
  echo "test: VERIMARK_INSTALLER_TESTS is all, or unset" >&2; exit 2 ;;
esac
case ${VERIMARK_REPRODUCE:-on} in on|off) ;; *)
  echo "test: VERIMARK_REPRODUCE is on (the default) or off" >&2; exit 2 ;;
esac
archs=$(verimark_archs)

bash scripts/setup.sh
bash scripts/build.sh

# What runs, decided here from the machine as it is now.
suites=() aarch64_runs=no
for arch in $archs; do
  case $arch in
    i686)
      if x86_32_ready; then suites+=(i686); else
        echo "test: SKIPPING the i686 suite: this machine runs no 32-bit x86 code (see scripts/setup.sh)"
      fi ;;
    aarch64)
      suites+=(aarch64)
      if arm64_wanted run && VERIMARK_ARM64_CHROOT=$(bash scripts/arm64-wine.sh --check); then
        export VERIMARK_ARM64_CHROOT  # for stopping its Wine servers at the end
        aarch64_runs=yes
      else
        echo "test: the aarch64 suite runs its static checks only (VERIMARK_ARM64=$(arm64_mode), or no arm64 Wine)"
      fi ;;
    *) suites+=("$arch") ;;
  esac
done
((${#suites[@]})) || { echo "test: no suite to run (VERIMARK_ARCHS=${VERIMARK_ARCHS:-})" >&2; exit 2; }
# The x86_64 tree's tests of the packages and of the 32-bit binaries need the i686 tree;
# the installer cycles beyond the x64 and arm64 ones come with VERIMARK_INSTALLER_TESTS=all.
left_out=()
[[ ${VERIMARK_INSTALLER_TESTS:-} == all ]] || left_out+=(installer-full)
wants_arch i686 || left_out+=(needs-i686)

logs="$verimark_root/build/test-logs"
mkdir -p "$logs"
# One suite, its Wine servers stopped however it ends.
suite() {
  local arch=$1 tree="build/$1" only=()
  shift
  rm -rf "$tree/test-results"
  if [[ $arch == aarch64 && $aarch64_runs == no ]]; then
    ctest --test-dir "$tree" --output-on-failure -R '^Deliverables\.' "$@"
    return
  fi
  [[ $arch == x86_64 && ${#left_out[@]} -gt 0 ]] && only=(-LE "^($(IFS='|'; echo "${left_out[*]}"))\$")
  (
    if [[ $arch == aarch64 ]]; then
      trap 'stop_wine "$tree" cmake/wine-run-arm64.sh --shell' EXIT
    else
      trap 'stop_wine "$tree"' EXIT
    fi
    ctest --test-dir "$tree" --output-on-failure -j "$(nproc)" "${only[@]}" "$@"
  )
}

# The test cases the suite's programs ran, from their result files.
cases() {
  cat "build/$1"/test-results/*.json 2>/dev/null | grep -Eo '^  "tests": [0-9]+' | awk '{ n += $2 } END { print n + 0 }'
}

status=0
# The fuzz targets natively, beside the suites: those mostly wait in real time, the
# fuzzers keep one processor busy.
bash scripts/fuzz.sh "${VERIMARK_FUZZ_SECONDS:-20}" >"$logs/fuzz.log" 2>&1 &
fuzz_pid=$!
# The release artifacts of the targets that make the x64 and x86 packages, built twice.
reproduce_pid="" reproduced=()
for arch in $archs; do [[ $arch == aarch64 ]] || reproduced+=("$arch"); done
if [[ ${VERIMARK_REPRODUCE:-on} == on && ${#reproduced[@]} -gt 0 ]]; then
  bash scripts/reproduce.sh "${reproduced[@]}" >"$logs/reproduce.log" 2>&1 &
  reproduce_pid=$!
fi
pids=()
for arch in "${suites[@]:1}"; do
  suite "$arch" "$@" >"$logs/$arch.log" 2>&1 &
  pids+=($!)
done
echo "== ${suites[0]} suite"
suite "${suites[0]}" "$@" 2>&1 | tee "$logs/${suites[0]}.log" || status=1
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
  summary=$(grep -E '^[0-9]+% tests passed' "$logs/$arch.log" || echo "no summary (see $logs/$arch.log)")
  echo "== $arch suite: $summary; $(cases "$arch") test cases"
done
if grep -q '^fuzz: skipped' "$logs/fuzz.log"; then
  echo "== fuzz targets: skipped"
else
  echo "== fuzz targets: $(grep -c ', no finding$' "$logs/fuzz.log") without a finding, $(grep -c ': FAILED' "$logs/fuzz.log") failed"
fi
if [[ -n $reproduce_pid ]]; then
  echo "== reproducibility: $(grep -c ' identical$' "$logs/reproduce.log") artifacts identical, $(grep -c ' DIFFERS' "$logs/reproduce.log") differing"
fi
exit $status
