#!/usr/bin/env bash
# Installs what the build needs, builds the targets, and runs every test through CTest:
#   x86_64   under Wine;
#   i686     as 32-bit programs under the Wine of the i686 root (scripts/x86-32-root.sh),
#            through qemu-i386 where the kernel runs no 32-bit code;
#   aarch64  under the arm64 Wine of a chroot, through qemu (VERIMARK_ARM64=run, the
#            default); with VERIMARK_ARM64=build, or without the arm64 Wine, its static
#            checks only;
# the fuzz targets for a short while each, the checks of setup's decisions, and the
# release artifacts built twice and compared. VERIMARK_ARCHS narrows the targets, built
# and tested alike. The suites run at the same time, each in Wine prefixes and servers of
# its own, with the fuzz targets beside them (one processor); the reproducibility build,
# which wants both processors, comes after them. The first suite's output comes as it
# happens, the others' after it, and one summary line per part, with its wall time, ends
# the run. Every shipped architecture is tested: a suite that cannot run here fails the
# run with its reason, unless VERIMARK_REQUIRE_ALL=0 lets it be skipped (a person narrowing
# the run on a machine of their own; VERIMARK_ARCHS narrows it by name). The browser's
# check of the HTML report is wanted, not required. Other arguments go to every suite's
# ctest.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/x86-32.sh"
cd "$verimark_root"
require_all=${VERIMARK_REQUIRE_ALL:-1}
case $require_all in 0|1) ;; *) echo "test: VERIMARK_REQUIRE_ALL is 1 (the default) or 0" >&2; exit 2 ;; esac
ctest_args=()
for argument in "$@"; do
  if [[ $argument == --require-all ]]; then require_all=1; else ctest_args+=("$argument"); fi
done
set -- "${ctest_args[@]}"

case ${VERIMARK_INSTALLER_TESTS:-default} in default|all) ;; *)
  echo "test: VERIMARK_INSTALLER_TESTS is all, or unset" >&2; exit 2 ;;
esac
case ${VERIMARK_REPRODUCE:-on} in on|off) ;; *)
  echo "test: VERIMARK_REPRODUCE is on (the default) or off" >&2; exit 2 ;;
esac
archs=$(verimark_archs)

started=$SECONDS
bash scripts/setup.sh
bash scripts/build.sh
prepared=$((SECONDS - started))

# What runs, decided here from the machine as it is now.
suites=() aarch64_runs=no skipped=()
for arch in $archs; do
  case $arch in
    i686)
      if VERIMARK_I686_ROOT=$(bash scripts/x86-32-root.sh --check 2>"$verimark_cache/i686-root.why"); then
        export VERIMARK_I686_ROOT  # for stopping its Wine servers at the end
        suites+=(i686)
      else
        why=$(cat "$verimark_cache/i686-root.why")
        [[ -s $x86_32_reason_file ]] && why+="; $(head -n 1 "$x86_32_reason_file")"
        skipped+=("i686 suite: SKIPPED: $why")
        echo "test: SKIPPING the i686 suite: $why"
      fi ;;
    aarch64)
      suites+=(aarch64)
      if arm64_wanted run && VERIMARK_ARM64_CHROOT=$(bash scripts/arm64-wine.sh --check); then
        export VERIMARK_ARM64_CHROOT  # for stopping its Wine servers at the end
        aarch64_runs=yes
      else
        why="VERIMARK_ARM64=$(arm64_mode)"
        arm64_wanted run && why="no arm64 Wine (see scripts/arm64-wine.sh)"
        skipped+=("aarch64 suite: static checks only, its tests SKIPPED: $why")
        echo "test: the aarch64 suite runs its static checks only: $why"
      fi ;;
    *) suites+=("$arch") ;;
  esac
done
# The HTML report's browser test needs chromium, which setup installs when the archive lets it.
notes=()
if [[ -s $verimark_cache/chromium-unavailable ]]; then
  notes+=("HTML report in a browser (Automation.HtmlReportAsABrowserShowsIt): SKIPPED: $(head -n 1 "$verimark_cache/chromium-unavailable")")
elif ! command -v chromium >/dev/null; then
  notes+=("HTML report in a browser (Automation.HtmlReportAsABrowserShowsIt): SKIPPED: no chromium (VERIMARK_BROWSER=off)")
fi
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
    elif [[ $arch == i686 ]]; then
      trap 'VERIMARK_CHROOT=$VERIMARK_I686_ROOT stop_wine "$tree" cmake/wine-run-chroot.sh --shell' EXIT
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

# Each part's wall time, for the summary.
timed() {
  local part=$1 started=$SECONDS status=0
  shift
  "$@" || status=$?
  echo "$((SECONDS - started))" >"$logs/$part.seconds"
  return $status
}
seconds() { cat "$logs/$1.seconds" 2>/dev/null || echo "?"; }

status=0
# The fuzz targets natively, beside the suites: those mostly wait in real time, the
# fuzzers keep one processor busy.
timed fuzz bash scripts/fuzz.sh "${VERIMARK_FUZZ_SECONDS:-20}" >"$logs/fuzz.log" 2>&1 &
fuzz_pid=$!
pids=()
for arch in "${suites[@]:1}"; do
  timed "$arch" suite "$arch" "$@" >"$logs/$arch.log" 2>&1 &
  pids+=($!)
done
echo "== ${suites[0]} suite"
timed "${suites[0]}" suite "${suites[0]}" "$@" 2>&1 | tee "$logs/${suites[0]}.log" || status=1
for i in "${!pids[@]}"; do
  arch=${suites[$((i + 1))]}
  wait "${pids[$i]}" || status=1
  echo "== $arch suite"
  cat "$logs/$arch.log"
done
echo "== fuzz targets"
wait "$fuzz_pid" || status=1
cat "$logs/fuzz.log"
echo "== setup's decisions"
timed setup-checks bash scripts/tests/setup-decisions.sh >"$logs/setup-checks.log" 2>&1 || status=1
cat "$logs/setup-checks.log"
# The release artifacts of the targets that make the x64 and x86 packages, built twice,
# once the suites have let go of the processors.
reproduced=() reproduce_ran=no
for arch in $archs; do [[ $arch == aarch64 ]] || reproduced+=("$arch"); done
if [[ ${VERIMARK_REPRODUCE:-on} == on && ${#reproduced[@]} -gt 0 ]]; then
  echo "== reproducibility"
  reproduce_ran=yes
  timed reproduce bash scripts/reproduce.sh --first-is-this-tree "${reproduced[@]}" >"$logs/reproduce.log" 2>&1 || status=1
  cat "$logs/reproduce.log"
fi

echo
echo "== setup and build: $prepared s"
for arch in "${suites[@]}"; do
  summary=$(grep -E '^[0-9]+% tests passed' "$logs/$arch.log" || echo "no summary (see $logs/$arch.log)")
  where=""
  [[ $arch == i686 ]] && where=" (in the i686 root, Wine $(basename "$VERIMARK_I686_ROOT" | sed 's/.*-wine-//'))"
  echo "== $arch suite$where: $summary; $(cases "$arch") test cases; $(seconds "$arch") s"
done
for line in "${skipped[@]}" "${notes[@]}"; do
  echo "== $line"
done
if grep -q '^fuzz: skipped' "$logs/fuzz.log"; then
  echo "== fuzz targets: skipped"
else
  echo "== fuzz targets: $(grep -c ', no finding$' "$logs/fuzz.log") without a finding, $(grep -c ': FAILED' "$logs/fuzz.log") failed; $(seconds fuzz) s"
fi
echo "== setup's decisions: $(grep -c '^ok ' "$logs/setup-checks.log") checks passed, $(grep -c '^FAILED ' "$logs/setup-checks.log") failed; $(seconds setup-checks) s"
if [[ $reproduce_ran == yes ]]; then
  echo "== reproducibility: $(grep -c ' identical$' "$logs/reproduce.log") artifacts identical, $(grep -c ' DIFFERS' "$logs/reproduce.log") differing; $(seconds reproduce) s"
fi
if ((${#skipped[@]})) && [[ $require_all == 1 ]]; then
  echo "== ${#skipped[@]} suite(s) could not run, so the run fails (VERIMARK_REQUIRE_ALL=0 allows it on a machine of your own)"
  status=1
fi
exit $status
