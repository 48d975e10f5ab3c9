#!/usr/bin/env bash
# Builds the fuzz targets natively (clang, libFuzzer, address and undefined-behaviour
# sanitizers) and runs each for a while; fails on the first crash, leak or broken
# invariant. Installs nothing (scripts/setup.sh does).
#   scripts/fuzz.sh [seconds per target, default 20; 0 skips them] [target name filter]
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$verimark_root"
seconds=${1:-20}
filter=${2:-}
# libFuzzer reads 0 as "no limit": here it means no fuzzing at all.
[[ $seconds =~ ^[0-9]+$ ]] || { echo "fuzz: the seconds per target are a whole number, not '$seconds'" >&2; exit 2; }
if ((seconds == 0)); then
  echo "fuzz: skipped (0 seconds per target)"
  exit 0
fi
for package in clang libclang-rt-14-dev; do
  installed $package || { echo "fuzz: $package is missing: run scripts/setup.sh" >&2; exit 1; }
done

build="$verimark_root/build/native"
cmake -S cmake/native -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" >/dev/null

# The targets and their seed corpora, as the native build lists them (from cmake/Sources.cmake).
while read -r name seeds; do
  [[ -z "$filter" || "$name" == *"$filter"* ]] || continue
  work="$build/corpus/$name"
  mkdir -p "$work" "$build/artifacts"
  log="$build/$name.log"
  if ! "$build/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$build/artifacts/$name-" "$work" "$seeds" >"$log" 2>&1 </dev/null; then
    tail -n 40 "$log"
    echo "fuzz $name: FAILED (see $log and $build/artifacts)"
    exit 1
  fi
  runs=$(grep -Eo 'Done [0-9]+ runs' "$log" | grep -Eo '[0-9]+' || echo "?")
  echo "fuzz $name: $runs runs in ${seconds}s, no finding"
done <"$build/fuzz-targets.txt"
